#include "engine/progresstext.h"

#include <gtest/gtest.h>

TEST(ReportLine, FormsWithAndWithoutWorker) {
  EXPECT_EQ(FormatInternetErrorLine("FtpGetFile", 2, "Not found.\r\n", 0, nullptr),
            "Thread #1: [FtpGetFile] error code: 2, Not found.\r\n ");
  EXPECT_EQ(FormatInternetErrorLine("WaitForMultipleObjects", 6, "Bad handle.", -1, nullptr),
            "[WaitForMultipleObjects] error code: 6, Bad handle. ");
  EXPECT_EQ(FormatInternetErrorLine("FtpDeleteFile", 12003, "Extended.", 29, "550 No such file"),
            "Thread #30: [FtpDeleteFile] error code: 12003, Extended.  : 550 No such file");
}

TEST(ReportLine, LongResponsesAndTextsAreCutToTheLine) {
  std::string response(5000, 'r');
  std::string line = FormatInternetErrorLine("FtpDeleteFile", 12003, "Extended.", 0, response.c_str());
  EXPECT_EQ(line.size(), kReportLineSize - 1);
  EXPECT_NE(line.find(" : rrr"), std::string::npos);
  std::string text(3000, 't');
  line = FormatInternetErrorLine("Op", 1, text.c_str(), 0, "550 never shown");
  EXPECT_EQ(line.size(), kReportLineSize - 1);
  EXPECT_EQ(line.find("550"), std::string::npos);
  EXPECT_EQ(FormatSftpErrorLine("SftpOpen", "no such file"), "SftpOpen : no such file");
}

TEST(WorkerRow, NumbersFromOneAndChoosesTheSpeedUnit) {
  EXPECT_EQ(WorkerRowPrefix(0), "#1: ");
  EXPECT_EQ(WorkerRowPrefix(29), "#30: ");
  bool kb;
  EXPECT_EQ(SpeedValue(1024, kb), 1024u);
  EXPECT_FALSE(kb);
  EXPECT_EQ(SpeedValue(1025, kb), 1u);
  EXPECT_TRUE(kb);
  EXPECT_EQ(SpeedValue(0, kb), 0u);
  EXPECT_FALSE(kb);
}

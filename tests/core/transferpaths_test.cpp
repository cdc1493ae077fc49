#include "engine/transferpaths.h"
#include "engine/transferrules.h"
#include "profiles/profile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(TransferPaths, ServerNamesStayInsideTheChosenFolder) {
  std::string out;
  EXPECT_EQ(JoinLocalPath("C:\\in", "a.txt", out), 0);
  EXPECT_EQ(out, "C:\\in\\a.txt");
  EXPECT_EQ(JoinLocalPath("C:\\", "a.txt", out), 0);
  EXPECT_EQ(out, "C:\\a.txt");
  for (const char* bad : {"..", ".", "...", " ", "a/b", "..\\x", "a\\..\\..\\x", "C:x", "x:stream", "a\nb", "tab\t",
                          "del\x7f", "", "trail.", "trail ", "CON", "nul.txt", "Lpt1", "com9.log", "a*b", "q?",
                          "p|q", "<x>", "\"q\""}) {
    EXPECT_EQ(JoinLocalPath("C:\\in", bad, out), kPathBadName) << bad;
    EXPECT_TRUE(out.empty()) << bad;
  }
  // Ordinary names that merely look like the refused ones pass.
  for (const char* good : {"..a", "a..b", ".profile", "console", "com10", "lpt", "con-fig.txt"})
    EXPECT_EQ(JoinLocalPath("C:\\in", good, out), 0) << good;
}

TEST(TransferPaths, DoubleByteTrailBytesAreNotSeparators) {
  auto shiftJisLead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  std::string out;
  // 0x95 0x5C is one character whose second byte is "\".
  EXPECT_EQ(JoinLocalPath("C:\\in", "\x95\x5C.txt", out, shiftJisLead), 0);
  EXPECT_EQ(JoinLocalPath("C:\\in", "\x95\x5C.txt", out), kPathBadName);  // no code page: refused
  // A lead byte at the end would swallow what follows.
  EXPECT_EQ(JoinLocalPath("C:\\in", "a\x95", out, shiftJisLead), kPathBadName);
}

TEST(TransferPaths, ServerJoinsRefuseCommandBreaksAndSeparators) {
  std::string out;
  EXPECT_EQ(JoinServerPath("/pub", "a b.txt", out), 0);
  EXPECT_EQ(out, "/pub/a b.txt");
  EXPECT_EQ(JoinServerPath("/", "x", out), 0);
  EXPECT_EQ(out, "/x");
  for (const char* bad : {"a/b", "..", ".", "a\r\nDELE x", ""}) EXPECT_EQ(JoinServerPath("/pub", bad, out), kPathBadName);
}

TEST(TransferPaths, PathsThatDoNotFitFailInsteadOfBeingCut) {
  std::string folder = "C:\\" + std::string(250, 'd');
  std::string out;
  EXPECT_EQ(JoinLocalPath(folder, "12345", out), 0);  // 253 + 1 + 5 = 259 bytes
  EXPECT_EQ(JoinLocalPath(folder, "123456", out), kPathTooLong);
  EXPECT_EQ(JoinServerPath("/" + std::string(257, 's'), "x", out), kPathTooLong);
}

TEST(TransferPaths, EditCopiesTakeTheFirstFreeNumber) {
  std::set<std::string> present = {"C:\\t\\a.txt", "C:\\t\\a1.txt"};
  auto exists = [&](const std::string& p) { return present.count(p) > 0; };
  std::string out;
  ASSERT_TRUE(FreeEditName("C:\\t\\a.txt", exists, out));
  EXPECT_EQ(out, "C:\\t\\a2.txt");
  ASSERT_TRUE(FreeEditName("C:\\t\\b.txt", exists, out));
  EXPECT_EQ(out, "C:\\t\\b.txt");
  // Only the last component is split: a dot in a folder name is no extension.
  present = {"C:\\v1.0\\README"};
  ASSERT_TRUE(FreeEditName("C:\\v1.0\\README", exists, out));
  EXPECT_EQ(out, "C:\\v1.0\\README1");
  present = {"C:\\t\\archive.tar.gz"};
  ASSERT_TRUE(FreeEditName("C:\\t\\archive.tar.gz", exists, out));
  EXPECT_EQ(out, "C:\\t\\archive.tar1.gz");
  // A numbered name that would pass 259 bytes is a failure, not a cut name.
  std::string longPath = "C:\\" + std::string(252, 'x') + ".txt";  // 259 bytes
  present = {longPath};
  EXPECT_FALSE(FreeEditName(longPath, exists, out));
}

TEST(TransferRules, TextOrBinaryByModeAndLastExtension) {
  std::vector<std::string> types = {"txt", "htm"};
  EXPECT_TRUE(IsTextTransfer("/pub/README.TXT", kModeAuto, types));
  EXPECT_FALSE(IsTextTransfer("/pub/archive.tar.gz", kModeAuto, types));
  EXPECT_FALSE(IsTextTransfer("/pub/notes.txt.gz", kModeAuto, types));
  EXPECT_FALSE(IsTextTransfer("C:\\dir.txt\\data", kModeAuto, types));  // the folder's dot does not count
  EXPECT_TRUE(IsTextTransfer("image.png", kModeAscii, types));
  EXPECT_FALSE(IsTextTransfer("README.TXT", kModeBinary, types));
}

TEST(TransferRules, ShellPatternsOfTheExclusionLists) {
  EXPECT_TRUE(MatchesNamePattern("_vti_cnf", "_*"));
  EXPECT_TRUE(MatchesNamePattern("old.BAK", "*.bak"));
  EXPECT_TRUE(MatchesNamePattern("Thumbs.db", "thumbs.db"));
  EXPECT_TRUE(MatchesNamePattern(".git", ".*"));
  EXPECT_TRUE(MatchesNamePattern("cgi-bin", "cgi-bin"));
  EXPECT_TRUE(MatchesNamePattern("a1c", "a?c"));
  EXPECT_TRUE(MatchesNamePattern("x.tmp", "*.bak; *.tmp"));
  EXPECT_FALSE(MatchesNamePattern("bak", "*.bak"));
  EXPECT_FALSE(MatchesNamePattern("cgi-bin2", "cgi-bin"));
  EXPECT_FALSE(MatchesNamePattern("ac", "a?c"));
  // Many stars against a long near-miss finish quickly.
  EXPECT_FALSE(MatchesNamePattern(std::string(200, 'a'), "*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(NameInPatterns("desktop.ini", DefaultNotTransferred()));
  EXPECT_FALSE(NameInPatterns("index.html", DefaultNotTransferred()));
}

TEST(TransferRules, PermissionAfterUploadOnlyForListedExtensions) {
  std::vector<std::string> types = {"cgi", "pl"};
  EXPECT_TRUE(SetsPermissionAfterUpload(2, "C:\\site\\run.CGI", types));
  EXPECT_FALSE(SetsPermissionAfterUpload(2, "C:\\site\\index.html", types));
  EXPECT_FALSE(SetsPermissionAfterUpload(2, "C:\\site.pl\\index", types));
  EXPECT_TRUE(SetsPermissionAfterUpload(1, "C:\\site\\index.html", types));
  EXPECT_FALSE(SetsPermissionAfterUpload(0, "C:\\site\\run.cgi", types));
}

TEST(TransferRules, SelectionsStartConfirmingUnlessTheJobReplacesQuietly) {
  EXPECT_EQ(InitialCompareFlags(0), kCompareConfirm);
  EXPECT_EQ(InitialCompareFlags(kTransferOverwrite), kCompareConfirm | kCompareYesToAll);
  EXPECT_EQ(InitialCompareFlags(0x44000000), kCompareConfirm | kCompareYesToAll);
  EXPECT_TRUE(IsEditOrViewTransfer(kTransferRunTool + 3));
  EXPECT_FALSE(IsEditOrViewTransfer(0x44000000));
}

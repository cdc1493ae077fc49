#include "engine/transferplan.h"
#include "engine/transferrules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {
constexpr uint64_t kOld = 100, kNew = 200;

FileEntry File(const char* name, uint64_t time = kOld, int64_t size = 1) {
  FileEntry e;
  std::strcpy(e.name, name);
  e.attributes = kAttrNormal;
  e.modified = time;
  e.size = size;
  return e;
}
FileEntry Folder(const char* name) {
  FileEntry e = File(name);
  e.attributes = kAttrDirectory;
  e.size = 0;
  return e;
}
FileEntry Link(const char* name) {
  FileEntry e = File(name);
  e.attributes = kAttrSymlink;
  return e;
}

// Two fake trees: folders by path, local with "\" and server with "/".
struct Trees {
  std::map<std::string, std::vector<FileEntry>> local, server;
  std::vector<std::string> listed;  // "L:" or "S:" + folder, in order
  std::vector<std::string> reported;
  int answer = kAnswerYes;
  int asked = 0;
  std::vector<std::string> notTransferred, notDeleted;

  PlanSides Sides(int direction) {
    PlanSides s;
    s.direction = direction;
    s.notTransferred = &notTransferred;
    s.notDeleted = &notDeleted;
    s.list = [this](bool serverSide, const std::string& folder, std::vector<FileEntry>& out) {
      listed.push_back((serverSide ? "S:" : "L:") + folder);
      auto& side = serverSide ? server : local;
      auto it = side.find(folder);
      if (it == side.end()) return 12003;
      out = it->second;
      return 0;
    };
    s.askOverwrite = [this](const FileEntry&, const FileEntry&, const std::string&, bool&) {
      ++asked;
      return answer;
    };
    s.reportName = [this](int code, const std::string& folder, const std::string& name) {
      reported.push_back(std::to_string(code) + " " + name);
    };
    return s;
  }
};

std::vector<std::string> Describe(const std::vector<TransferStep>& steps) {
  std::vector<std::string> out;
  for (const TransferStep& s : steps) out.push_back(std::to_string(s.kind) + " " + s.destination);
  return out;
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(Synchronize, UploadsNewerAndMissingAndDeletesWhatIsGoneExceptProtected) {
  Trees t;
  t.notDeleted = {".*", "cgi-bin"};
  t.notTransferred = {"*.bak"};
  t.local["C:\\site"] = {File("index.html", kNew), File("same.txt", kOld), File("old.txt", kOld), File("new.txt"),
                         File("x.bak"), Folder("img"), Folder("fresh")};
  t.local["C:\\site\\img"] = {File("a.png", kNew)};
  t.local["C:\\site\\fresh"] = {File("f.txt")};
  t.server["/www"] = {File("index.html", kOld), File("same.txt", kOld), File("old.txt", kNew), File("gone.txt"),
                      File(".htaccess"), File("x.bak"), Folder("img"), Folder("cgi-bin"), Folder("dead")};
  t.server["/www/img"] = {File("a.png", kOld), File("b.png")};
  t.server["/www/cgi-bin"] = {File("run.cgi"), Folder(".git")};
  t.server["/www/cgi-bin/.git"] = {};
  t.server["/www/dead"] = {File("d1"), Folder("deeper")};
  t.server["/www/dead/deeper"] = {File("d2")};
  PlanSides sides = t.Sides(1);
  int flags = 0;
  std::vector<TransferStep> steps;
  ASSERT_EQ(WalkFolderPair(sides, "C:\\site", "/www", flags, steps), 0);
  EXPECT_EQ(Describe(steps), (Lines{"5 /www/index.html", "1 /www/gone.txt", "1 /www/x.bak", "5 /www/img/a.png",
                                    "1 /www/img/b.png", "1 /www/dead/d1", "1 /www/dead/deeper/d2",
                                    "2 /www/dead/deeper", "2 /www/dead", "4 /www/new.txt", "3 /www/fresh",
                                    "4 /www/fresh/f.txt"}));
  EXPECT_EQ(steps[0].source, "C:\\site\\index.html");
  EXPECT_EQ(steps[0].fileTime, kNew);
  EXPECT_EQ(t.asked, 0);

  SortForReview(steps);
  EXPECT_EQ(Describe(steps), (Lines{"1 /www/gone.txt", "1 /www/x.bak", "1 /www/img/b.png", "1 /www/dead/d1",
                                    "1 /www/dead/deeper/d2", "2 /www/dead/deeper", "2 /www/dead", "3 /www/fresh",
                                    "4 /www/new.txt", "4 /www/fresh/f.txt", "5 /www/index.html",
                                    "5 /www/img/a.png"}));
}

TEST(Synchronize, ProtectionOfAFolderHoldsAfterAProtectedFolderInsideIt) {
  Trees t;
  t.notDeleted = {"cgi-bin", ".*"};
  t.local["C:\\s"] = {Folder("cgi-bin")};
  t.local["C:\\s\\cgi-bin"] = {Folder(".git")};
  t.local["C:\\s\\cgi-bin\\.git"] = {};
  t.server["/w"] = {Folder("cgi-bin")};
  t.server["/w/cgi-bin"] = {Folder(".git"), File("keep.cgi")};
  t.server["/w/cgi-bin/.git"] = {File("HEAD")};
  PlanSides sides = t.Sides(1);
  int flags = 0;
  std::vector<TransferStep> steps;
  ASSERT_EQ(WalkFolderPair(sides, "C:\\s", "/w", flags, steps), 0);
  EXPECT_TRUE(steps.empty()) << Describe(steps)[0];
  EXPECT_EQ(flags, 0);
}

TEST(Synchronize, AFailedListingFailsTheWalk) {
  Trees t;
  t.local["C:\\s"] = {Folder("sub")};
  t.local["C:\\s\\sub"] = {File("a")};
  t.server["/w"] = {Folder("sub")};  // "/w/sub" cannot be listed
  PlanSides sides = t.Sides(1);
  int flags = 0;
  std::vector<TransferStep> steps;
  EXPECT_EQ(WalkFolderPair(sides, "C:\\s", "/w", flags, steps), 12003);
}

TEST(Synchronize, ServerLinksAreDeletedAsLinksNeverEntered) {
  Trees t;
  t.local["C:\\s"] = {};
  t.server["/w"] = {Link("loop"), Folder("real")};
  t.server["/w/real"] = {Link("up")};
  PlanSides sides = t.Sides(1);
  int flags = 0;
  std::vector<TransferStep> steps;
  ASSERT_EQ(WalkFolderPair(sides, "C:\\s", "/w", flags, steps), 0);
  EXPECT_EQ(Describe(steps), (Lines{"1 /w/loop", "1 /w/real/up", "2 /w/real"}));
  for (const std::string& l : t.listed) EXPECT_EQ(l.find("loop"), std::string::npos) << l;

  // The prefetch does not follow them either.
  std::map<std::string, std::vector<FileEntry>> cache;
  int calls = 0;
  ListLevel level = [&](const std::vector<std::string>& folders, std::vector<std::vector<FileEntry>>& out) {
    ++calls;
    for (size_t i = 0; i < folders.size(); ++i) out[i] = t.server[folders[i]];
    return 0;
  };
  ASSERT_EQ(PrefetchServerTree("/w", level, cache, nullptr), 0);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_TRUE(cache.count("/w/real"));
}

TEST(Synchronize, PrefetchListsOneLevelAtATimeAndStopsAtAFailure) {
  std::map<std::string, std::vector<FileEntry>> tree;
  tree["/"] = {Folder("a"), Folder("b"), File("f")};
  tree["/a"] = {Folder("a1"), Folder("a2")};
  tree["/b"] = {Folder("b1")};
  tree["/a/a1"] = {};
  tree["/a/a2"] = {};
  tree["/b/b1"] = {Folder("bad\r\nname")};
  std::vector<size_t> batches;
  ListLevel level = [&](const std::vector<std::string>& folders, std::vector<std::vector<FileEntry>>& out) {
    batches.push_back(folders.size());
    for (size_t i = 0; i < folders.size(); ++i) {
      if (!tree.count(folders[i])) return 12003;
      out[i] = tree[folders[i]];
    }
    return 0;
  };
  std::map<std::string, std::vector<FileEntry>> cache;
  ASSERT_EQ(PrefetchServerTree("/", level, cache, nullptr), 0);
  EXPECT_EQ(batches, (std::vector<size_t>{1, 2, 3}));
  EXPECT_EQ(cache.size(), 6u);

  tree.erase("/a/a2");
  cache.clear();
  EXPECT_EQ(PrefetchServerTree("/", level, cache, nullptr), 12003);
  EXPECT_EQ(PrefetchServerTree("/", level, cache, [] { return true; }), kPlanCancelled);
}

TEST(TransferSelection, OverwriteQuestionsYesToAllAndOnlyIfNewer) {
  Trees t;
  t.local["C:\\src"] = {File("older.txt", kOld), File("newer.txt", kNew), File("third.txt", kNew)};
  t.server["/dst"] = {File("older.txt", kNew), File("newer.txt", kOld), File("third.txt", kOld), File("extra")};
  PlanSides sides = t.Sides(1);
  sides.onlyIfNewer = true;
  t.answer = kAnswerYesToAll;
  int flags = kCompareConfirm;
  std::vector<TransferStep> steps;
  ASSERT_EQ(WalkFolderPair(sides, "C:\\src", "/dst", flags, steps), 0);
  // Asked once; the older local file is skipped even after yes to all; in
  // confirm mode nothing is deleted.
  EXPECT_EQ(t.asked, 1);
  EXPECT_EQ(flags, kCompareConfirm | kCompareYesToAll);
  EXPECT_EQ(Describe(steps), (Lines{"5 /dst/newer.txt", "5 /dst/third.txt"}));

  t.answer = kAnswerCancel;
  flags = kCompareConfirm;
  steps.clear();
  EXPECT_EQ(WalkFolderPair(sides, "C:\\src", "/dst", flags, steps), kPlanCancelled);
  t.answer = kAnswerNo;
  sides.onlyIfNewer = false;
  flags = kCompareConfirm;
  steps.clear();
  ASSERT_EQ(WalkFolderPair(sides, "C:\\src", "/dst", flags, steps), 0);
  EXPECT_TRUE(steps.empty());
}

TEST(TransferSelection, DownloadedServerNamesNeverLeaveTheTargetFolder) {
  Trees t;
  t.server["/pub"] = {File("ok.txt"), File("..\\..\\evil.txt"), File("CON"), File("a:b"), Folder("..."),
                      Folder("sub")};
  t.server["/pub/sub"] = {File(std::string(250, 'n').c_str())};
  t.local["C:\\in"] = {};
  PlanSides sides = t.Sides(0);
  std::vector<SelectedItem> selection = {{"/pub", true, 0, 0, ""}};
  std::vector<TransferStep> steps;
  ASSERT_EQ(PlanSelection(sides, selection, "C:\\in", kCompareConfirm, false, steps), 0);
  EXPECT_EQ(Describe(steps), (Lines{"3 C:\\in\\pub", "4 C:\\in\\pub\\ok.txt", "3 C:\\in\\pub\\sub"}));
  EXPECT_EQ(t.reported, (Lines{"123 ..\\..\\evil.txt", "123 CON", "123 a:b", "123 ...",
                               "206 " + std::string(250, 'n')}));
}

TEST(TransferSelection, FolderAndFileQuestionsDecideEachItem) {
  Trees t;
  t.local["C:\\src\\merge"] = {File("m.txt", kNew)};
  t.server["/dst/merge"] = {File("m.txt", kOld)};
  PlanSides sides = t.Sides(1);
  sides.askFolder = [](const std::string&, const std::string& name, int&, bool& cancel) {
    if (name == "skip") return int(kFolderSkip);
    if (name == "merge") return int(kFolderMerge);
    if (name == "stop") cancel = true;
    return int(kFolderMissing);
  };
  sides.askFile = [](TransferStep& step, const std::string&, int&, bool&) {
    if (step.destination == "/dst/exists.txt") step.kind = kStepReplaceFile;
    return step.destination != "/dst/no.txt";
  };
  t.answer = kAnswerYes;
  std::vector<SelectedItem> selection = {
      {"C:\\src\\skip", true, 0, 0, ""}, {"C:\\src\\merge", true, 0, 0, ""}, {"C:\\src\\exists.txt", false, 5, kNew, ""},
      {"C:\\src\\no.txt", false, 0, 0, ""}};
  std::vector<TransferStep> steps;
  ASSERT_EQ(PlanSelection(sides, selection, "/dst", kCompareConfirm, false, steps), 0);
  EXPECT_EQ(Describe(steps), (Lines{"5 /dst/merge/m.txt", "5 /dst/exists.txt"}));
  EXPECT_EQ(steps[1].size, 5);
  selection.insert(selection.begin(), {"C:\\src\\stop", true, 0, 0, ""});
  steps.clear();
  EXPECT_EQ(PlanSelection(sides, selection, "/dst", kCompareConfirm, false, steps), kPlanCancelled);
}

TEST(TransferSelection, EditCopiesGetAFreeNameWithoutQuestions) {
  Trees t;
  PlanSides sides = t.Sides(0);
  sides.localExists = [](const std::string& p) { return p == "C:\\tmp\\a.txt" || p == "C:\\tmp\\a1.txt"; };
  sides.askFile = [](TransferStep&, const std::string&, int&, bool&) -> bool {
    ADD_FAILURE() << "asked";
    return false;
  };
  std::vector<TransferStep> steps;
  ASSERT_EQ(PlanSelection(sides, {{"/pub/a.txt", false, 3, kNew, ""}}, "C:\\tmp", kCompareConfirm, true, steps), 0);
  EXPECT_EQ(Describe(steps), (Lines{"4 C:\\tmp\\a2.txt"}));
  EXPECT_EQ(steps[0].source, "/pub/a.txt");
}

TEST(Synchronize, NamesHiddenByTheFilterAreNeitherTransferredNorDeleted) {
  Trees t;
  t.local["C:\\s"] = {File("page.html", kNew), File("draft.txt", kNew), Folder("sub")};
  t.local["C:\\s\\sub"] = {File("a.html"), File("b.psd")};
  t.server["/w"] = {File("page.html", kOld), File("notes.txt"), File("gone.html"), Folder("sub"), Folder("dead"),
                    Folder("empty")};
  t.server["/w/sub"] = {File("old.psd")};
  t.server["/w/dead"] = {File("d.html"), File("keep.log")};
  t.server["/w/empty"] = {File("e.html")};
  PlanSides sides = t.Sides(1);
  sides.filterMask = "*.html";
  int flags = 0;
  std::vector<TransferStep> steps;
  ASSERT_EQ(WalkFolderPair(sides, "C:\\s", "/w", flags, steps), 0);
  // A folder that still holds a hidden file stays; one emptied goes.
  EXPECT_EQ(Describe(steps), (Lines{"5 /w/page.html", "1 /w/gone.html", "4 /w/sub/a.html", "1 /w/dead/d.html",
                                    "1 /w/empty/e.html", "2 /w/empty"}));

  // A folder transferred as a whole leaves its hidden files behind too.
  steps.clear();
  ASSERT_EQ(PlanSelection(sides, {{"C:\\s\\sub", true, 0, 0, ""}}, "/new", kCompareConfirm, false, steps), 0);
  EXPECT_EQ(Describe(steps), (Lines{"3 /new/sub", "4 /new/sub/a.html"}));

  // The shell's "*.*" shows everything, names without a dot included.
  EXPECT_FALSE(HiddenByFilter("noext", false, "*.*"));
  EXPECT_TRUE(HiddenByFilter("noext", false, "*.txt"));
  EXPECT_FALSE(HiddenByFilter("folder", true, "*.txt"));
  EXPECT_FALSE(HiddenByFilter("any", false, ""));
}

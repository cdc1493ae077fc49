#include "panes/panepaths.h"

#include <gtest/gtest.h>

#include <set>

#include "panes/permbits.h"

TEST(PanePaths, JoinKeepsFullPathsAndRefusesToCut) {
  std::string out;
  ASSERT_TRUE(JoinPanePath("/pub", "a.txt", '/', out));
  EXPECT_EQ(out, "/pub/a.txt");
  ASSERT_TRUE(JoinPanePath("/", "a.txt", '/', out));
  EXPECT_EQ(out, "/a.txt");
  ASSERT_TRUE(JoinPanePath("/pub", "/etc/x", '/', out));
  EXPECT_EQ(out, "/etc/x");
  ASSERT_TRUE(JoinPanePath("C:\\site", "img", '\\', out));
  EXPECT_EQ(out, "C:\\site\\img");
  out = "unchanged";
  EXPECT_FALSE(JoinPanePath(std::string(200, 'd'), std::string(59, 'n'), '/', out));
  EXPECT_EQ(out, "unchanged");
  EXPECT_TRUE(JoinPanePath(std::string(200, 'd'), std::string(58, 'n'), '/', out));
  EXPECT_EQ(out.size(), 259u);
}

TEST(PanePaths, UpOneLevel) {
  EXPECT_EQ(RemoteParent("/"), "/");
  EXPECT_EQ(RemoteParent("/a"), "/");
  EXPECT_EQ(RemoteParent("/a/b/"), "/a");
  EXPECT_EQ(RemoteParent("/a/b"), "/a");
  EXPECT_EQ(RemoteParent("home"), "home");
  EXPECT_EQ(RemoteParent("a/b"), "a");
}

TEST(PanePaths, SynchronizedBrowsingMapsWholeComponents) {
  std::string out;
  ASSERT_TRUE(MapSyncChange("C:\\site\\img", "C:\\site\\css", '\\', "/www/img", '/', out));
  EXPECT_EQ(out, "/www/css");
  EXPECT_FALSE(MapSyncChange("C:\\site\\img", "C:\\site\\css", '\\', "/other", '/', out));
  EXPECT_FALSE(MapSyncChange("C:\\site\\img", "C:\\site\\css", '\\', "/www/bigimg", '/', out));
  EXPECT_FALSE(MapSyncChange("C:\\Site", "c:\\site", '\\', "/www/site", '/', out));
  ASSERT_TRUE(MapSyncChange("C:\\site", "C:\\site\\css", '\\', "/www/site", '/', out));
  EXPECT_EQ(out, "/www/site/css");
  ASSERT_TRUE(MapSyncChange("C:\\site\\css", "C:\\site", '\\', "/www/SITE/CSS", '/', out));
  EXPECT_EQ(out, "/www/SITE");
  ASSERT_TRUE(MapSyncChange("C:\\x\\alpha", "C:\\x", '\\', "/pub/alpha", '/', out));
  EXPECT_EQ(out, "/pub");
  ASSERT_TRUE(MapSyncChange("C:\\x\\alpha", "C:\\x", '\\', "/alpha", '/', out));
  EXPECT_EQ(out, "/");
  ASSERT_TRUE(MapSyncChange("C:\\x", "C:\\x\\beta", '\\', "/pub/", '/', out));
  EXPECT_EQ(out, "/pub/beta");
  ASSERT_TRUE(MapSyncChange("/www/img", "/www/css", '/', "D:\\work\\img", '\\', out));
  EXPECT_EQ(out, "D:\\work\\css");
}

TEST(PanePaths, FreeNewNameCountsFromTwo) {
  std::set<std::string> taken = {"NewFolder", "NewFolder2"};
  EXPECT_EQ(FreeNewName("NewFolder", [&](const std::string& n) { return taken.count(n) > 0; }), "NewFolder3");
  EXPECT_EQ(FreeNewName("NewFile", [&](const std::string& n) { return taken.count(n) > 0; }), "NewFile");
}

TEST(PanePaths, ServerNamesThatCannotBecomeLocalFiles) {
  EXPECT_TRUE(IsPlainLocalName("report.txt"));
  EXPECT_TRUE(IsPlainLocalName("\xE9t\xE9"));  // bytes of another code page stay plain bytes
  for (const char* bad : {"", ".", "..", " . ", "a\\b", "..\\x", "a/b", "C:x", "a\x01", "tab\tname"})
    EXPECT_FALSE(IsPlainLocalName(bad)) << bad;
  EXPECT_FALSE(IsPlainLocalName(std::string(260, 'x')));
}

TEST(PanePermissions, BoxesChangeOnlyWhatTheySet) {
  const int ownerExecute[9] = {2, 2, 1, 2, 2, 2, 2, 2, 2};
  EXPECT_EQ(ModeAfterBoxes("-rw-r--r--", ownerExecute), "744");
  EXPECT_EQ(ModeAfterBoxes("-rwxr--r--", ownerExecute), "");  // already set: not sent
  EXPECT_EQ(ModeAfterBoxes("drwsr-xr-x", ownerExecute), "");
  const int noGroupWrite[9] = {2, 2, 2, 2, 0, 2, 2, 2, 2};
  EXPECT_EQ(ModeAfterBoxes("-rwxrwsr-x", noGroupWrite), "2755");  // set-group-id kept
  EXPECT_EQ(ModeAfterBoxes("-rw-rw-rw-", noGroupWrite), "646");
  // Without a readable string the entry's own bits are unknown.
  EXPECT_EQ(ModeAfterBoxes("", ownerExecute), "");
  EXPECT_EQ(ModeAfterBoxes("-rwq------", ownerExecute), "");
  const int all[9] = {1, 1, 1, 1, 0, 1, 0, 0, 0};
  EXPECT_EQ(ModeAfterBoxes("", all), "750");
}

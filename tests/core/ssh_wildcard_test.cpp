#include <gtest/gtest.h>

#include <string>

#include "ssh/sshwildcard.h"

using vorto::ssh::WildcardMatch;

namespace {

TEST(SshWildcard, LiteralsMatchTheWholeString) {
    EXPECT_TRUE(WildcardMatch("", ""));
    EXPECT_TRUE(WildcardMatch("abc", "abc"));
    EXPECT_FALSE(WildcardMatch("abc", "abcd"));
    EXPECT_FALSE(WildcardMatch("abc", "ABC"));
}

TEST(SshWildcard, StarAndQuestionMark) {
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("a*c", "ac"));
    EXPECT_TRUE(WildcardMatch("a*c", "abbbc"));
    EXPECT_FALSE(WildcardMatch("a*c", "abcd"));
    EXPECT_TRUE(WildcardMatch("a?c", "abc"));
    EXPECT_FALSE(WildcardMatch("a?c", "ac"));
    // A star has to give back characters it took too early.
    EXPECT_TRUE(WildcardMatch("*ab", "aab"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc"));
    EXPECT_TRUE(WildcardMatch("*?*", "x"));
    EXPECT_FALSE(WildcardMatch("*?*?", "x"));
    EXPECT_TRUE(WildcardMatch("** VShell", "2.0.12 VShell"));
}

TEST(SshWildcard, Sets) {
    EXPECT_TRUE(WildcardMatch("OpenSSH_2.[5-9]*", "OpenSSH_2.5.2p2"));
    EXPECT_TRUE(WildcardMatch("OpenSSH_2.[5-9]*", "OpenSSH_2.9"));
    EXPECT_FALSE(WildcardMatch("OpenSSH_2.[5-9]*", "OpenSSH_2.4"));
    EXPECT_TRUE(WildcardMatch("[abc]", "b"));
    EXPECT_FALSE(WildcardMatch("[abc]", "d"));
    EXPECT_TRUE(WildcardMatch("[^0-9]", "x"));
    EXPECT_FALSE(WildcardMatch("[^0-9]", "5"));
    EXPECT_FALSE(WildcardMatch("[0-9]", ""));
    // A "-" first or last is a member, not a range.
    EXPECT_TRUE(WildcardMatch("[a-]", "-"));
    EXPECT_TRUE(WildcardMatch("[-a]", "-"));
    EXPECT_FALSE(WildcardMatch("[a-]", "b"));
    // Escapes inside a set.
    EXPECT_TRUE(WildcardMatch("[\\]x]", "]"));
    EXPECT_TRUE(WildcardMatch("[a\\-z]", "-"));
    EXPECT_FALSE(WildcardMatch("[a\\-z]", "m"));
    // Bytes above 127 compare as unsigned.
    EXPECT_TRUE(WildcardMatch("[a-\xff]", "\xe9"));
    EXPECT_FALSE(WildcardMatch("[z-a]", "m"));
}

TEST(SshWildcard, EscapesTakeTheNextCharacterLiterally) {
    EXPECT_TRUE(WildcardMatch("a\\*", "a*"));
    EXPECT_FALSE(WildcardMatch("a\\*", "ab"));
    EXPECT_TRUE(WildcardMatch("\\?", "?"));
    EXPECT_TRUE(WildcardMatch("\\[x]", "[x]"));
}

TEST(SshWildcard, MalformedPatternsMatchNothing) {
    EXPECT_FALSE(WildcardMatch("[abc", "a"));
    EXPECT_FALSE(WildcardMatch("[abc", "[abc"));
    EXPECT_FALSE(WildcardMatch("abc\\", "abc\\"));
    EXPECT_FALSE(WildcardMatch("[a\\]", "a"));
    // Even where the faulty part would never be reached.
    EXPECT_FALSE(WildcardMatch("*[", "anything"));
    EXPECT_FALSE(WildcardMatch("x[", "y"));
    EXPECT_FALSE(WildcardMatch("\\", ""));
}

TEST(SshWildcard, HostileInputEndsWithTheRightAnswer) {
    // Exponential backtracking would never finish these.
    std::string text(20000, 'a');
    EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*b", text));
    EXPECT_TRUE(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a", text));
    EXPECT_FALSE(WildcardMatch("*?*?*?*?*?*?*?*?*[^a]", text));
}

}  // namespace

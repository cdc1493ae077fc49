#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ssh/sshquirks.h"
#include "ssh/sshsettings.h"

using namespace vorto::ssh;

namespace {

TEST(SshQuirks, Ssh1ServersByExactVersion) {
    EXPECT_EQ(DetectQuirks("Cisco-1.25"), uint32_t{kQuirkSsh1Ignore | kQuirkSsh1PlainPassword | kQuirkSsh1Rsa});
    EXPECT_EQ(DetectQuirks("OSU_1.4alpha3"), uint32_t{kQuirkSsh1Ignore | kQuirkSsh1PlainPassword});
    EXPECT_EQ(DetectQuirks("OSU_1.5alpha4"), uint32_t{kQuirkSsh1Ignore});
    EXPECT_EQ(DetectQuirks("1.2.18"), uint32_t{kQuirkSsh1Ignore});
    EXPECT_EQ(DetectQuirks("1.2.22"), uint32_t{kQuirkSsh1Ignore});
    EXPECT_EQ(DetectQuirks("1.2.23"), 0u);
    EXPECT_EQ(DetectQuirks("1.2.22 extra"), 0u);
    EXPECT_EQ(DetectQuirks("Cisco-1.25x"), 0u);
}

TEST(SshQuirks, Ssh2HmacAndKeyDerivation) {
    EXPECT_EQ(DetectQuirks("2.0.12"), uint32_t{kQuirkSsh2Hmac});
    EXPECT_EQ(DetectQuirks("2.0.10 x"), uint32_t{kQuirkSsh2Hmac | kQuirkSsh2DeriveKey});
    EXPECT_EQ(DetectQuirks("2.0.0"), uint32_t{kQuirkSsh2Hmac | kQuirkSsh2DeriveKey});
    EXPECT_EQ(DetectQuirks("2.1.0.pl2"), uint32_t{kQuirkSsh2Hmac});
    EXPECT_EQ(DetectQuirks("2.1 SomeServer"), uint32_t{kQuirkSsh2Hmac});
    EXPECT_EQ(DetectQuirks("2.3.0 x"), uint32_t{kQuirkSsh2Hmac});
    EXPECT_EQ(DetectQuirks("2.4.0"), 0u);
    EXPECT_EQ(DetectQuirks("2.1"), 0u);
    // The same numbers from the excluded family set neither.
    EXPECT_EQ(DetectQuirks("2.0.12 VShell"), 0u);
    EXPECT_EQ(DetectQuirks("2.0.10 VShell"), 0u);
    EXPECT_EQ(DetectQuirks("2.0.12VShell"), uint32_t{kQuirkSsh2Hmac});
}

TEST(SshQuirks, OldOpenSsh) {
    EXPECT_EQ(DetectQuirks("OpenSSH_3.1p1"), uint32_t{kQuirkSsh2RsaPadding});
    EXPECT_EQ(DetectQuirks("OpenSSH_2.5.2p2"), uint32_t{kQuirkSsh2RsaPadding});
    EXPECT_EQ(DetectQuirks("OpenSSH_2.2.0p1"), uint32_t{kQuirkSsh2PkSessionId});
    EXPECT_EQ(DetectQuirks("OpenSSH_2.3.0p1"), 0u);
    EXPECT_EQ(DetectQuirks("OpenSSH_3.3"), 0u);
    EXPECT_EQ(DetectQuirks("OpenSSH_9.2p1 Debian-2+deb12u10"), 0u);
}

TEST(SshQuirks, SettingsForceFlagsEitherWay) {
    SshSettings settings;
    EXPECT_EQ(ApplyQuirkSettings(DetectQuirks("OpenSSH_3.1p1"), settings), uint32_t{kQuirkSsh2RsaPadding});
    // Group exchange trouble is never detected, only forced.
    settings.bug_dh_gex2 = BugSetting::kForceOn;
    settings.bug_rsa_pad2 = BugSetting::kForceOff;
    settings.bug_ignore1 = BugSetting::kForceOn;
    EXPECT_EQ(ApplyQuirkSettings(DetectQuirks("OpenSSH_3.1p1"), settings),
              uint32_t{kQuirkSsh2DhGex | kQuirkSsh1Ignore});
    settings = SshSettings{};
    settings.bug_plain_pw1 = settings.bug_rsa1 = settings.bug_hmac2 = settings.bug_derive_key2 =
        settings.bug_pk_sess_id2 = BugSetting::kForceOn;
    EXPECT_EQ(ApplyQuirkSettings(0, settings), uint32_t{kQuirkSsh1PlainPassword | kQuirkSsh1Rsa | kQuirkSsh2Hmac |
                                                      kQuirkSsh2DeriveKey | kQuirkSsh2PkSessionId});
}

TEST(SshQuirks, NamesAndLogLinesInCheckingOrder) {
    std::vector<std::string> names, lines;
    for (uint32_t flag = 1; flag <= 0x80; flag <<= 1) names.push_back(QuirkName(flag));
    EXPECT_EQ(names, (std::vector<std::string>{"ignore1", "hmac2", "plainpw1", "rsa1", "rsapad2", "derivekey2",
                                               "dhgex2", "pksessid2"}));
    EXPECT_STREQ(QuirkName(0x03), "");
    for (const char* line : QuirkLogLines(0xff)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "We believe remote version has SSH1 ignore bug",
                         "We believe remote version needs a plain SSH1 password",
                         "We believe remote version can't handle RSA authentication",
                         "We believe remote version has SSH2 HMAC bug",
                         "We believe remote version has SSH2 key-derivation bug",
                         "We believe remote version has SSH2 RSA padding bug",
                         "We believe remote version has SSH2 public-key-session-ID bug",
                         "We believe remote version has SSH2 DH group exchange bug",
                     }));
    EXPECT_TRUE(QuirkLogLines(0).empty());
    EXPECT_EQ(QuirkLogLines(kQuirkSsh2RsaPadding).size(), 1u);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ssh/sshsettings.h"

using namespace vorto::ssh;

namespace {

std::vector<std::string> Order(std::string_view text) {
    SshCipherChoice order[kSshCipherChoices];
    ParseCipherOrder(text, order);
    std::vector<std::string> names;
    for (SshCipherChoice c : order) names.push_back(CipherChoiceName(c));
    return names;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(SshSettings, DefaultsAreTheBuiltInOnesAndResetEveryField) {
    SshSettings s;
    s.port_number = 2222;
    s.auth_ki = 0;
    s.ssh_prot = kSshProt1Only;
    s.cipher_order[0] = SshCipherChoice::kDes;
    s.remote_command = "sftp";
    SetSettingText(s.user_name, "someone");
    SshSettingsDefaults(s);

    EXPECT_EQ(s.host_name[0], '\0');
    EXPECT_EQ(s.protocol, SshProtocol::kDefault);
    EXPECT_EQ(s.port_number, 0);
    EXPECT_EQ(s.user_name[0], '\0');
    EXPECT_EQ(s.public_key_file[0], '\0');
    EXPECT_EQ(s.compression, 0);
    EXPECT_EQ(s.ssh_prot, kSshProt2Preferred);
    EXPECT_EQ(s.ssh2_des, 0);
    EXPECT_EQ(s.auth_tis, 0);
    EXPECT_EQ(s.auth_ki, 1);
    EXPECT_EQ(s.no_pty, 0);
    EXPECT_EQ(s.tcp_no_delay, 1);
    EXPECT_EQ(s.tcp_keepalives, 0);
    EXPECT_EQ(s.ping_interval, 0);
    EXPECT_EQ(s.ping_interval_secs, 0);
    EXPECT_EQ(s.log_type, 0);
    EXPECT_EQ(s.proxy_method, ProxyMethod::kNone);
    EXPECT_TRUE(s.remote_command.empty());
    EXPECT_TRUE(s.port_forwardings.empty());
    EXPECT_EQ(s.bug_hmac2, BugSetting::kAuto);
    EXPECT_EQ(s.bug_pk_sess_id2, BugSetting::kAuto);
    Names order;
    for (SshCipherChoice c : s.cipher_order) order.push_back(CipherChoiceName(c));
    EXPECT_EQ(order, (Names{"aes", "blowfish", "3des", "WARN", "des"}));
    EXPECT_EQ(sizeof s.user_name, 100u);
    EXPECT_EQ(sizeof s.public_key_file, 260u);
}

TEST(SshSettings, CipherOrderTakesNamesAsWrittenAndAppendsTheRest) {
    EXPECT_EQ(Order(""), (Names{"aes", "blowfish", "3des", "WARN", "des"}));
    EXPECT_EQ(Order("des,aes"), (Names{"des", "aes", "blowfish", "3des", "WARN"}));
    EXPECT_EQ(Order("des,3des,WARN,blowfish,aes"), (Names{"des", "3des", "WARN", "blowfish", "aes"}));
    // Unknown names, repeats, empty items and other spellings are skipped.
    EXPECT_EQ(Order("idea,3des,,3des,AES,warn,WARN, des,"), (Names{"3des", "WARN", "aes", "blowfish", "des"}));
    EXPECT_EQ(Order(",,,"), (Names{"aes", "blowfish", "3des", "WARN", "des"}));
}

TEST(SshSettings, ProtocolOneChoicesBecomeProtocolTwoPreferred) {
    EXPECT_EQ(EffectiveSshProt(kSshProt1Only), kSshProt2Preferred);
    EXPECT_EQ(EffectiveSshProt(kSshProt1Preferred), kSshProt2Preferred);
    EXPECT_EQ(EffectiveSshProt(kSshProt2Preferred), kSshProt2Preferred);
    EXPECT_EQ(EffectiveSshProt(kSshProt2Only), kSshProt2Only);
    EXPECT_EQ(EffectiveSshProt(-1), kSshProt2Preferred);
    EXPECT_EQ(EffectiveSshProt(7), kSshProt2Preferred);
}

TEST(SshSettings, TextFieldsTakeWholeTextsOnly) {
    SshSettings s;
    std::string name(99, 'u');
    EXPECT_TRUE(SetSettingText(s.user_name, name));
    EXPECT_EQ(std::string(s.user_name), name);
    // One byte more would not fit with its terminator: refused, not cut.
    EXPECT_FALSE(SetSettingText(s.user_name, name + "v"));
    EXPECT_EQ(s.user_name[0], '\0');
    EXPECT_FALSE(SetSettingText(s.user_name, std::string("ab\0cd", 5)));
    EXPECT_EQ(s.user_name[0], '\0');
    EXPECT_TRUE(SetSettingText(s.host_name, std::string(511, 'h')));
    EXPECT_FALSE(SetSettingText(s.host_name, std::string(512, 'h')));
}

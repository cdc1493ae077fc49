// The settings of one SSH connection. Nothing stores them: every session
// starts from the defaults below and the SFTP session overrides a few
// from the server profile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorto::ssh {

enum class SshProtocol : uint8_t { kDefault, kSsh };

// "SshProt".
enum SshProtocolChoice : int {
    kSshProt1Only = 0,
    kSshProt1Preferred = 1,
    kSshProt2Preferred = 2,
    kSshProt2Only = 3,
};

// Entries of the cipher preference list; names "aes", "blowfish", "3des",
// "WARN", "des". Ciphers after kCipherWarn are weak: choosing one asks the
// user first.
enum class SshCipherChoice : uint8_t { kAes, kBlowfish, kTripleDes, kWarn, kDes };
constexpr size_t kSshCipherChoices = 5;

enum class ProxyMethod : uint8_t { kNone };

// The server-quirk settings; automatic means detected from the server's
// version text.
enum class BugSetting : uint8_t { kAuto, kForceOff, kForceOn };

struct SshSettings {
    char host_name[512] = {};
    SshProtocol protocol = SshProtocol::kDefault;
    int port_number = 0;
    char user_name[100] = {};
    char public_key_file[260] = {};
    int compression = 0;
    int ssh_prot = kSshProt2Preferred;
    SshCipherChoice cipher_order[kSshCipherChoices] = {SshCipherChoice::kAes, SshCipherChoice::kBlowfish,
                                                       SshCipherChoice::kTripleDes, SshCipherChoice::kWarn,
                                                       SshCipherChoice::kDes};
    int ssh2_des = 0;  // single DES offered in SSH-2
    int auth_tis = 0;  // TIS and CryptoCard in SSH-1
    int auth_ki = 1;   // keyboard-interactive
    int change_username = 0;
    int no_pty = 0;
    int agent_fwd = 0;
    int x11_forward = 0;
    std::string port_forwardings;
    // What the session runs, and what it falls back to when that fails.
    std::string remote_command;
    bool remote_command_is_subsystem = false;
    std::string fallback_command;
    bool fallback_is_subsystem = false;
    int tcp_no_delay = 1;
    int tcp_keepalives = 0;
    int ping_interval = 0;  // minutes
    int ping_interval_secs = 0;
    ProxyMethod proxy_method = ProxyMethod::kNone;
    int log_type = 0;
    BugSetting bug_ignore1 = BugSetting::kAuto;
    BugSetting bug_plain_pw1 = BugSetting::kAuto;
    BugSetting bug_rsa1 = BugSetting::kAuto;
    BugSetting bug_hmac2 = BugSetting::kAuto;
    BugSetting bug_derive_key2 = BugSetting::kAuto;
    BugSetting bug_rsa_pad2 = BugSetting::kAuto;
    BugSetting bug_dh_gex2 = BugSetting::kAuto;
    BugSetting bug_pk_sess_id2 = BugSetting::kAuto;
};

// Resets every field to its default.
void SshSettingsDefaults(SshSettings& settings);

// The protocol choice a session uses: the two protocol-1 choices (and any
// value out of range) become protocol 2 preferred.
int EffectiveSshProt(int ssh_prot);

// Parses a comma-separated cipher list: names in the order written, unknown
// names and repeats skipped, every name not written appended in the
// default order. Names match exactly.
void ParseCipherOrder(std::string_view text, SshCipherChoice order[kSshCipherChoices]);

// The name of a cipher-list entry as written in the list.
const char* CipherChoiceName(SshCipherChoice choice);

// Copies text into a fixed field only when it fits whole with its
// terminator; otherwise leaves the field empty and returns false.
bool SetSettingText(char* field, size_t capacity, std::string_view text);
template <size_t N>
bool SetSettingText(char (&field)[N], std::string_view text) {
    return SetSettingText(field, N, text);
}

}  // namespace vorto::ssh

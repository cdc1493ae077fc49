#include "ssh/sshquirks.h"

#include <initializer_list>

#include "ssh/sshwildcard.h"

namespace vorto::ssh {

namespace {

struct QuirkInfo {
    uint32_t flag;
    const char* name;
    BugSetting SshSettings::*setting;
    const char* log_line;
};

// In the order the event log reports them.
constexpr QuirkInfo kQuirks[] = {
    {kQuirkSsh1Ignore, "ignore1", &SshSettings::bug_ignore1, "We believe remote version has SSH1 ignore bug"},
    {kQuirkSsh1PlainPassword, "plainpw1", &SshSettings::bug_plain_pw1,
     "We believe remote version needs a plain SSH1 password"},
    {kQuirkSsh1Rsa, "rsa1", &SshSettings::bug_rsa1, "We believe remote version can't handle RSA authentication"},
    {kQuirkSsh2Hmac, "hmac2", &SshSettings::bug_hmac2, "We believe remote version has SSH2 HMAC bug"},
    {kQuirkSsh2DeriveKey, "derivekey2", &SshSettings::bug_derive_key2,
     "We believe remote version has SSH2 key-derivation bug"},
    {kQuirkSsh2RsaPadding, "rsapad2", &SshSettings::bug_rsa_pad2,
     "We believe remote version has SSH2 RSA padding bug"},
    {kQuirkSsh2PkSessionId, "pksessid2", &SshSettings::bug_pk_sess_id2,
     "We believe remote version has SSH2 public-key-session-ID bug"},
    {kQuirkSsh2DhGex, "dhgex2", &SshSettings::bug_dh_gex2,
     "We believe remote version has SSH2 DH group exchange bug"},
};

bool IsOneOf(std::string_view version, std::initializer_list<std::string_view> exact) {
    for (std::string_view candidate : exact) {
        if (version == candidate) return true;
    }
    return false;
}

bool MatchesAny(std::string_view version, std::initializer_list<std::string_view> patterns) {
    for (std::string_view pattern : patterns) {
        if (WildcardMatch(pattern, version)) return true;
    }
    return false;
}

}  // namespace

uint32_t DetectQuirks(std::string_view v) {
    uint32_t flags = 0;
    if (IsOneOf(v, {"1.2.18", "1.2.19", "1.2.20", "1.2.21", "1.2.22", "Cisco-1.25", "OSU_1.4alpha3",
                    "OSU_1.5alpha4"})) {
        flags |= kQuirkSsh1Ignore;
    }
    if (IsOneOf(v, {"Cisco-1.25", "OSU_1.4alpha3"})) flags |= kQuirkSsh1PlainPassword;
    if (v == "Cisco-1.25") flags |= kQuirkSsh1Rsa;
    // This server family shares the version numbers but not the faults.
    bool excluded = WildcardMatch("* VShell", v);
    if (!excluded && MatchesAny(v, {"2.1.0*", "2.0.*", "2.2.0*", "2.3.0*", "2.1 *"})) flags |= kQuirkSsh2Hmac;
    if (!excluded && MatchesAny(v, {"2.0.0*", "2.0.10*"})) flags |= kQuirkSsh2DeriveKey;
    if (MatchesAny(v, {"OpenSSH_2.[5-9]*", "OpenSSH_3.[0-2]*"})) flags |= kQuirkSsh2RsaPadding;
    if (WildcardMatch("OpenSSH_2.[0-2]*", v)) flags |= kQuirkSsh2PkSessionId;
    return flags;
}

uint32_t ApplyQuirkSettings(uint32_t detected, const SshSettings& settings) {
    uint32_t flags = detected;
    for (const QuirkInfo& quirk : kQuirks) {
        BugSetting setting = settings.*quirk.setting;
        if (setting == BugSetting::kForceOn) flags |= quirk.flag;
        if (setting == BugSetting::kForceOff) flags &= ~quirk.flag;
    }
    return flags;
}

const char* QuirkName(uint32_t flag) {
    for (const QuirkInfo& quirk : kQuirks) {
        if (quirk.flag == flag) return quirk.name;
    }
    return "";
}

std::vector<const char*> QuirkLogLines(uint32_t flags) {
    std::vector<const char*> lines;
    for (const QuirkInfo& quirk : kQuirks) {
        if (flags & quirk.flag) lines.push_back(quirk.log_line);
    }
    return lines;
}

}  // namespace vorto::ssh

#include "ssh/sshsettings.h"

#include <cstring>

namespace vorto::ssh {

namespace {

constexpr const char* kCipherNames[kSshCipherChoices] = {"aes", "blowfish", "3des", "WARN", "des"};

}  // namespace

void SshSettingsDefaults(SshSettings& settings) {
    settings = SshSettings{};
}

int EffectiveSshProt(int ssh_prot) {
    return ssh_prot == kSshProt2Only ? kSshProt2Only : kSshProt2Preferred;
}

const char* CipherChoiceName(SshCipherChoice choice) {
    size_t index = static_cast<size_t>(choice);
    return index < kSshCipherChoices ? kCipherNames[index] : "";
}

void ParseCipherOrder(std::string_view text, SshCipherChoice order[kSshCipherChoices]) {
    bool taken[kSshCipherChoices] = {};
    size_t count = 0;
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view name = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        for (size_t i = 0; i < kSshCipherChoices; ++i) {
            if (name == kCipherNames[i] && !taken[i]) {
                taken[i] = true;
                order[count++] = static_cast<SshCipherChoice>(i);
            }
        }
    }
    for (size_t i = 0; i < kSshCipherChoices; ++i) {
        if (!taken[i]) order[count++] = static_cast<SshCipherChoice>(i);
    }
}

bool SetSettingText(char* field, size_t capacity, std::string_view text) {
    if (capacity == 0) return false;
    if (text.size() >= capacity || text.find('\0') != std::string_view::npos) {
        field[0] = '\0';
        return false;
    }
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    return true;
}

}  // namespace vorto::ssh

#include "ssh/hostkeys.h"

namespace vorto::ssh {

namespace {

constexpr char kUpperHex[] = "0123456789ABCDEF";
constexpr char kLowerHex[] = "0123456789abcdef";
constexpr size_t kDigitsPerWord = 8;

bool NeedsEscape(unsigned char c, bool first) {
    return c <= 0x20 || c >= 0x7f || c == '\\' || c == '*' || c == '?' || c == '%' || (first && c == '.');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One old-form number to lowercase hexadecimal without leading zeros.
bool ConvertOldNumber(std::string_view digits, std::string& out) {
    if (digits.empty() || digits.size() % kDigitsPerWord != 0) return false;
    std::string hex;
    hex.reserve(digits.size());
    // Nibble n (counted from the least significant) sits at offset n ^ 3:
    // within each word the two 16-bit halves are swapped.
    for (size_t n = digits.size(); n-- > 0;) {
        int value = HexValue(digits[n ^ 3]);
        if (value < 0) return false;
        if (hex.empty() && value == 0) continue;
        hex += kLowerHex[value];
    }
    out += hex.empty() ? "0" : hex;
    return true;
}

}  // namespace

std::string EscapeHostName(std::string_view host) {
    std::string out;
    out.reserve(host.size());
    for (size_t i = 0; i < host.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(host[i]);
        if (NeedsEscape(c, i == 0)) {
            out += '%';
            out += kUpperHex[c >> 4];
            out += kUpperHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string HostKeyValueName(std::string_view key_type, unsigned port, std::string_view host) {
    std::string name(key_type);
    name += '@';
    name += std::to_string(port);
    name += ':';
    name += EscapeHostName(host);
    return name;
}

std::string OldHostKeyValueName(std::string_view host) {
    return EscapeHostName(host);
}

bool ConvertOldRsaKeyText(std::string_view old_text, std::string& out) {
    size_t slash = old_text.find('/');
    if (slash == std::string_view::npos) return false;
    std::string text = "0x";
    if (!ConvertOldNumber(old_text.substr(0, slash), text)) return false;
    text += ",0x";
    if (!ConvertOldNumber(old_text.substr(slash + 1), text)) return false;
    out = std::move(text);
    return true;
}

}  // namespace vorto::ssh

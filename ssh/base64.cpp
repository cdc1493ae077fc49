#include "ssh/base64.h"

namespace vorto::ssh {

namespace {

// 0-63 for the alphabet, -1 for anything else ('=' is handled by the caller).
int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

bool Base64DecodeAppend(std::string_view text, std::vector<uint8_t>& out) {
    if (text.size() % 4 != 0) return false;
    for (size_t at = 0; at < text.size(); at += 4) {
        // "xx==" carries one byte, "xxx=" two; padding may not come earlier.
        size_t padding = text[at + 3] != '=' ? 0 : text[at + 2] != '=' ? 1 : 2;
        uint32_t group = 0;
        for (size_t i = 0; i < 4 - padding; ++i) {
            int value = Base64Value(text[at + i]);
            if (value < 0) return false;
            group = (group << 6) | uint32_t(value);
        }
        group <<= 6 * padding;
        out.push_back(uint8_t(group >> 16));
        if (padding < 2) out.push_back(uint8_t(group >> 8));
        if (padding < 1) out.push_back(uint8_t(group));
    }
    return true;
}

}  // namespace vorto::ssh

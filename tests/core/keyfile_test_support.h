// Fixtures of the key-file tests: the files written by
// tests/data/keys/make_keys.py and the facts it recorded about each.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace keyfile_test {

using Bytes = std::vector<uint8_t>;

inline std::string KeyPath(const std::string& name) {
    return std::string(VORTO_TEST_DATA) + "/keys/" + name;
}

inline std::string ReadText(const std::string& name) {
    std::ifstream in(KeyPath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) {
        s += kDigits[b >> 4];
        s += kDigits[b & 15];
    }
    return s;
}

// The facts manifest.txt records for `name`, as name=value pairs.
inline std::map<std::string, std::string> Facts(const std::string& name) {
    std::ifstream in(KeyPath("manifest.txt"));
    std::map<std::string, std::string> facts;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string file, fact;
        if (!(words >> file) || file != name) continue;
        while (words >> fact) {
            size_t eq = fact.find('=');
            if (eq != std::string::npos) facts[fact.substr(0, eq)] = fact.substr(eq + 1);
        }
    }
    return facts;
}

// Replaces the first `from` in `text`; the test fails loudly when it is absent.
inline std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    if (at == std::string::npos) return "(fixture text not found: " + from + ")";
    return text.replace(at, from.size(), to);
}

}  // namespace keyfile_test

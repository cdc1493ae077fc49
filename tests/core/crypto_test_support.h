// Helpers shared by the crypto tests: hex, vector files, and a reference
// implementation run as a child process.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace crypto_test {

using Bytes = std::vector<uint8_t>;

inline Bytes FromHex(const std::string& hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string ToHex(const uint8_t* p, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += kDigits[p[i] >> 4];
        s += kDigits[p[i] & 15];
    }
    return s;
}

inline std::string ToHex(const Bytes& b) {
    return ToHex(b.data(), b.size());
}

inline Bytes FromText(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// One record of a vector file: "name = value" lines up to a blank line.
// A name ending in "_text" holds text; every other value is hexadecimal,
// decoded by the caller. Lines starting with '#' are comments.
using Record = std::map<std::string, std::string>;

inline std::vector<Record> ReadVectors(const std::string& file) {
    std::ifstream in(std::string(VORTO_TEST_DATA) + "/crypto/" + file);
    std::vector<Record> records;
    Record current;
    std::string line;
    while (true) {
        bool more = bool(std::getline(in, line));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!more || line.empty()) {
            if (!current.empty()) records.push_back(current);
            current.clear();
            if (!more) break;
            continue;
        }
        if (line[0] == '#') continue;
        size_t eq = line.find(" = ");
        if (eq == std::string::npos) continue;
        current[line.substr(0, eq)] = line.substr(eq + 3);
    }
    return records;
}

// The bytes of a field: "x_text" as text, "x" as hex, repeated "repeat" times.
inline Bytes FieldBytes(const Record& r, const std::string& name) {
    Bytes unit;
    if (auto t = r.find(name + "_text"); t != r.end()) unit = FromText(t->second);
    else if (auto h = r.find(name); h != r.end()) unit = FromHex(h->second);
    size_t repeat = 1;
    if (auto rep = r.find(name + "_repeat"); rep != r.end()) repeat = std::stoul(rep->second);
    Bytes out;
    for (size_t i = 0; i < repeat; ++i) out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

inline Bytes RandomBytes(std::mt19937& rng, size_t n) {
    Bytes b(n);
    for (auto& x : b) x = uint8_t(rng());
    return b;
}

// Runs a Python script with Debian's interpreter (the one with the
// cryptography package), feeding `input` on standard input; returns what it
// printed.
inline std::string RunPython(const std::string& script, const std::string& input) {
    char script_path[] = "/tmp/vorto_crypto_XXXXXX";
    int fd = mkstemp(script_path);
    if (fd < 0) return {};
    FILE* f = fdopen(fd, "w");
    fwrite(script.data(), 1, script.size(), f);
    fclose(f);
    char input_path[] = "/tmp/vorto_crypto_in_XXXXXX";
    fd = mkstemp(input_path);
    f = fdopen(fd, "w");
    fwrite(input.data(), 1, input.size(), f);
    fclose(f);
    std::string cmd = std::string("/usr/bin/python3 ") + script_path + " < " + input_path;
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    remove(script_path);
    remove(input_path);
    return out;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace crypto_test

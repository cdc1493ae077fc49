#include "ssh/keyfile.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

namespace vorto::ssh {

namespace {

struct KeyFileSignature {
    std::string_view start;
    KeyFileType type;
};

constexpr KeyFileSignature kSignatures[] = {
    {"SSH PRIVATE KEY FILE FORMAT 1.1\n", kKeyFileSsh1},
    {"PuTTY-User-Key-File-", kKeyFileSsh2},
    {"-----BEGIN ", kKeyFileOpenSsh},
    {"---- BEGIN SSH2 ENCRYPTED PRIVAT", kKeyFileSshCom},
};

constexpr size_t kLongestSignature = 32;
static_assert([] {
    for (const KeyFileSignature& signature : kSignatures)
        if (signature.start.size() > kLongestSignature) return false;
    return true;
}());

}  // namespace

KeyFileType IdentifyKeyBytes(std::span<const uint8_t> start) {
    std::string_view text(reinterpret_cast<const char*>(start.data()), start.size());
    for (const KeyFileSignature& signature : kSignatures) {
        if (text.substr(0, signature.start.size()) == signature.start) return signature.type;
    }
    return kKeyFileUnknown;
}

KeyFileType IdentifyKeyFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return kKeyFileCannotOpen;
    uint8_t start[kLongestSignature];
    size_t got = std::fread(start, 1, sizeof start, file);
    std::fclose(file);
    return IdentifyKeyBytes({start, got});
}

const char* KeyFileTypeDescription(int type) {
    switch (type) {
        case kKeyFileCannotOpen: return "unable to open file";
        case kKeyFileUnknown: return "not a private key";
        case kKeyFileSsh1: return "SSH1 private key";
        case kKeyFileSsh2: return "PuTTY SSH2 private key";
        case kKeyFileOpenSsh: return "OpenSSH SSH2 private key";
        case kKeyFileSshCom: return "ssh.com SSH2 private key";
        default: return "INTERNAL ERROR";
    }
}

Ssh2Key::Ssh2Key(Ssh2Key&& other) noexcept
    : algorithm(std::exchange(other.algorithm, nullptr)),
      key(std::exchange(other.key, nullptr)),
      comment(std::move(other.comment)),
      old_format(other.old_format) {}

Ssh2Key& Ssh2Key::operator=(Ssh2Key&& other) noexcept {
    if (this != &other) {
        if (key) algorithm->free_key(key);
        algorithm = std::exchange(other.algorithm, nullptr);
        key = std::exchange(other.key, nullptr);
        comment = std::move(other.comment);
        old_format = other.old_format;
    }
    return *this;
}

Ssh2Key::~Ssh2Key() {
    if (key) algorithm->free_key(key);
}

}  // namespace vorto::ssh

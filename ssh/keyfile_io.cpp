#include "ssh/keyfile_io.h"

#include <cstdio>

#include "ssh/crypto/hash_util.h"

namespace vorto::ssh {

SecretBytes::~SecretBytes() {
    crypto::Wipe(bytes.data(), bytes.size());
}

KeyFileRead ReadKeyFileBytes(const char* path, size_t limit, SecretBytes& out) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return KeyFileRead::kCannotOpen;
    // One byte beyond the limit tells a file that is too long.
    out.bytes.assign(limit + 1, 0);
    size_t got = std::fread(out.bytes.data(), 1, limit + 1, file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return KeyFileRead::kFailed;
    if (got > limit) return KeyFileRead::kTooLarge;
    out.bytes.resize(got);  // the tail was never written
    return KeyFileRead::kRead;
}

}  // namespace vorto::ssh

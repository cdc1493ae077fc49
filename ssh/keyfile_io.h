// Reading a key file whole, and a byte buffer that is wiped when it goes,
// for file contents, passphrase-derived keys and decrypted private blobs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorto::ssh {

// Reserve the final size before filling: growth would leave unwiped copies.
struct SecretBytes {
    std::vector<uint8_t> bytes;

    SecretBytes() = default;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes();
};

enum class KeyFileRead {
    kRead,
    kCannotOpen,
    kTooLarge,  // more than the limit
    kFailed,
};

// Reads at most `limit` bytes; a longer file is kTooLarge.
KeyFileRead ReadKeyFileBytes(const char* path, size_t limit, SecretBytes& out);

}  // namespace vorto::ssh

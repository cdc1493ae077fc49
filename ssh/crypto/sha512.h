// SHA-512 (FIPS 180-2).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorto::crypto {

constexpr size_t kSha512Length = 64;

struct Sha512 {
    uint64_t state[8];
    uint8_t block[128];
    size_t used;
    uint64_t total;
};

void Sha512Start(Sha512& ctx);
void Sha512Add(Sha512& ctx, const void* data, size_t length);
// Writes the digest and wipes the context.
void Sha512Finish(Sha512& ctx, uint8_t digest[kSha512Length]);
void Sha512Once(const void* data, size_t length, uint8_t digest[kSha512Length]);

}  // namespace vorto::crypto

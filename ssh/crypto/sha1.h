// SHA-1 (FIPS 180-1), and its bare compression function for the random pool.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorto::crypto {

constexpr size_t kSha1Length = 20;

struct Sha1 {
    uint32_t state[5];
    uint8_t block[64];
    size_t used;
    uint64_t total;
};

void Sha1Start(Sha1& ctx);
void Sha1Add(Sha1& ctx, const void* data, size_t length);
// Writes the digest and wipes the context.
void Sha1Finish(Sha1& ctx, uint8_t digest[kSha1Length]);
void Sha1Once(const void* data, size_t length, uint8_t digest[kSha1Length]);

// One application of the compression function to a 64-byte block.
void Sha1Compress(uint32_t state[5], const uint8_t block[64]);
// The same on a digest held as 20 big-endian bytes.
void Sha1CompressBytes(uint8_t digest[kSha1Length], const uint8_t block[64]);

}  // namespace vorto::crypto

// MD5 (RFC 1321).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorto::crypto {

constexpr size_t kMd5Length = 16;

struct Md5 {
    uint32_t state[4];
    uint8_t block[64];
    size_t used;
    uint64_t total;
};

void Md5Start(Md5& ctx);
void Md5Add(Md5& ctx, const void* data, size_t length);
// Writes the digest and wipes the context.
void Md5Finish(Md5& ctx, uint8_t digest[kMd5Length]);
void Md5Once(const void* data, size_t length, uint8_t digest[kMd5Length]);

}  // namespace vorto::crypto

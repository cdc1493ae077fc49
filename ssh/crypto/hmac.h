// HMAC (RFC 2104) over SHA-1 and MD5. The keyed record holds the inner and
// outer hash states after the padded key, so each MAC costs only the data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ssh/crypto/md5.h"
#include "ssh/crypto/sha1.h"

namespace vorto::crypto {

struct HmacSha1 {
    Sha1 inner;
    Sha1 outer;
};

struct HmacMd5 {
    Md5 inner;
    Md5 outer;
};

void HmacSha1SetKey(HmacSha1& keyed, const uint8_t* key, size_t key_length);
// `running` starts as a copy of the keyed inner state; the caller adds data.
void HmacSha1Begin(const HmacSha1& keyed, Sha1& running);
void HmacSha1End(const HmacSha1& keyed, Sha1& running, uint8_t mac[kSha1Length]);
void HmacSha1Once(const uint8_t* key, size_t key_length, const void* data, size_t length,
                  uint8_t mac[kSha1Length]);

void HmacMd5SetKey(HmacMd5& keyed, const uint8_t* key, size_t key_length);
void HmacMd5Begin(const HmacMd5& keyed, Md5& running);
void HmacMd5End(const HmacMd5& keyed, Md5& running, uint8_t mac[kMd5Length]);
void HmacMd5Once(const uint8_t* key, size_t key_length, const void* data, size_t length,
                 uint8_t mac[kMd5Length]);

// Compares without an early exit, so the time does not tell where the first
// difference lies.
bool EqualConstantTime(const uint8_t* a, const uint8_t* b, size_t length);

}  // namespace vorto::crypto

#include "ssh/crypto/hmac.h"

#include <cstring>

#include "ssh/crypto/hash_util.h"

namespace vorto::crypto {

namespace {

struct Sha1Ops {
    using Ctx = Sha1;
    static constexpr size_t kDigest = kSha1Length;
    static void Start(Ctx& c) { Sha1Start(c); }
    static void Add(Ctx& c, const void* p, size_t n) { Sha1Add(c, p, n); }
    static void Finish(Ctx& c, uint8_t* out) { Sha1Finish(c, out); }
};

struct Md5Ops {
    using Ctx = Md5;
    static constexpr size_t kDigest = kMd5Length;
    static void Start(Ctx& c) { Md5Start(c); }
    static void Add(Ctx& c, const void* p, size_t n) { Md5Add(c, p, n); }
    static void Finish(Ctx& c, uint8_t* out) { Md5Finish(c, out); }
};

// Both hashes have 64-byte blocks.
template <typename Ops>
void SetKey(typename Ops::Ctx& inner, typename Ops::Ctx& outer, const uint8_t* key, size_t key_length) {
    uint8_t block[64] = {};
    if (key_length > sizeof block) {
        typename Ops::Ctx c;
        Ops::Start(c);
        Ops::Add(c, key, key_length);
        Ops::Finish(c, block);
    } else if (key_length > 0) {
        std::memcpy(block, key, key_length);
    }
    for (uint8_t& b : block) b ^= 0x36;
    Ops::Start(inner);
    Ops::Add(inner, block, sizeof block);
    for (uint8_t& b : block) b ^= 0x36 ^ 0x5c;
    Ops::Start(outer);
    Ops::Add(outer, block, sizeof block);
    Wipe(block, sizeof block);
}

template <typename Ops>
void End(const typename Ops::Ctx& keyed_outer, typename Ops::Ctx& running, uint8_t* mac) {
    uint8_t inner_digest[Ops::kDigest];
    Ops::Finish(running, inner_digest);
    typename Ops::Ctx outer = keyed_outer;
    Ops::Add(outer, inner_digest, sizeof inner_digest);
    Ops::Finish(outer, mac);
}

}  // namespace

void HmacSha1SetKey(HmacSha1& keyed, const uint8_t* key, size_t key_length) {
    SetKey<Sha1Ops>(keyed.inner, keyed.outer, key, key_length);
}

void HmacSha1Begin(const HmacSha1& keyed, Sha1& running) {
    running = keyed.inner;
}

void HmacSha1End(const HmacSha1& keyed, Sha1& running, uint8_t mac[kSha1Length]) {
    End<Sha1Ops>(keyed.outer, running, mac);
}

void HmacSha1Once(const uint8_t* key, size_t key_length, const void* data, size_t length,
                  uint8_t mac[kSha1Length]) {
    HmacSha1 keyed;
    Sha1 running;
    HmacSha1SetKey(keyed, key, key_length);
    HmacSha1Begin(keyed, running);
    Sha1Add(running, data, length);
    HmacSha1End(keyed, running, mac);
    Wipe(&keyed, sizeof keyed);
}

void HmacMd5SetKey(HmacMd5& keyed, const uint8_t* key, size_t key_length) {
    SetKey<Md5Ops>(keyed.inner, keyed.outer, key, key_length);
}

void HmacMd5Begin(const HmacMd5& keyed, Md5& running) {
    running = keyed.inner;
}

void HmacMd5End(const HmacMd5& keyed, Md5& running, uint8_t mac[kMd5Length]) {
    End<Md5Ops>(keyed.outer, running, mac);
}

void HmacMd5Once(const uint8_t* key, size_t key_length, const void* data, size_t length,
                 uint8_t mac[kMd5Length]) {
    HmacMd5 keyed;
    Md5 running;
    HmacMd5SetKey(keyed, key, key_length);
    HmacMd5Begin(keyed, running);
    Md5Add(running, data, length);
    HmacMd5End(keyed, running, mac);
    Wipe(&keyed, sizeof keyed);
}

bool EqualConstantTime(const uint8_t* a, const uint8_t* b, size_t length) {
    uint8_t diff = 0;
    for (size_t i = 0; i < length; ++i) diff |= uint8_t(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace vorto::crypto

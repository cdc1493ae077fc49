#include "ssh/crypto/mac.h"

#include <new>

#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/hmac.h"

namespace vorto::crypto {

namespace {


void Sha1Key(void* ctx, const uint8_t* key) {
    HmacSha1SetKey(*static_cast<HmacSha1*>(ctx), key, 20);
}

void Sha1KeyBuggy(void* ctx, const uint8_t* key) {
    HmacSha1SetKey(*static_cast<HmacSha1*>(ctx), key, 16);
}

void Sha1Compute(const HmacSha1& keyed, const uint8_t* packet, size_t length, uint32_t sequence,
                 uint8_t mac[kSha1Length]) {
    uint8_t seq[4];
    StoreBe32(seq, sequence);
    Sha1 running;
    HmacSha1Begin(keyed, running);
    Sha1Add(running, seq, 4);
    Sha1Add(running, packet, length);
    HmacSha1End(keyed, running, mac);
}

void Sha1Generate(void* ctx, uint8_t* packet, size_t length, uint32_t sequence) {
    Sha1Compute(*static_cast<HmacSha1*>(ctx), packet, length, sequence, packet + length);
}

bool Sha1Verify(void* ctx, const uint8_t* packet, size_t length, uint32_t sequence) {
    uint8_t mac[kSha1Length];
    Sha1Compute(*static_cast<HmacSha1*>(ctx), packet, length, sequence, mac);
    return EqualConstantTime(mac, packet + length, sizeof mac);
}

void Md5Key(void* ctx, const uint8_t* key) {
    HmacMd5SetKey(*static_cast<HmacMd5*>(ctx), key, 16);
}

void Md5Compute(const HmacMd5& keyed, const uint8_t* packet, size_t length, uint32_t sequence,
                uint8_t mac[kMd5Length]) {
    uint8_t seq[4];
    StoreBe32(seq, sequence);
    Md5 running;
    HmacMd5Begin(keyed, running);
    Md5Add(running, seq, 4);
    Md5Add(running, packet, length);
    HmacMd5End(keyed, running, mac);
}

void Md5Generate(void* ctx, uint8_t* packet, size_t length, uint32_t sequence) {
    Md5Compute(*static_cast<HmacMd5*>(ctx), packet, length, sequence, packet + length);
}

bool Md5Verify(void* ctx, const uint8_t* packet, size_t length, uint32_t sequence) {
    uint8_t mac[kMd5Length];
    Md5Compute(*static_cast<HmacMd5*>(ctx), packet, length, sequence, mac);
    return EqualConstantTime(mac, packet + length, sizeof mac);
}

// The "none" MAC has no state; a non-null token keeps "create failed" distinct.
uint8_t gNoneToken;
void* NoneCreate() { return &gNoneToken; }
void NoneFree(void*) {}
void NoneKey(void*, const uint8_t*) {}
void NoneGenerate(void*, uint8_t*, size_t, uint32_t) {}
bool NoneVerify(void*, const uint8_t*, size_t, uint32_t) { return true; }

}  // namespace

const SshMac kMacHmacSha1 = {CreateContext<HmacSha1>, FreeContext<HmacSha1>, Sha1Key, Sha1Generate, Sha1Verify,
                             "hmac-sha1", 20, "HMAC-SHA1", 20};
const SshMac kMacHmacSha1Buggy = {CreateContext<HmacSha1>, FreeContext<HmacSha1>, Sha1KeyBuggy, Sha1Generate, Sha1Verify,
                                  "hmac-sha1", 20, "bug-compatible HMAC-SHA1", 16};
const SshMac kMacHmacMd5 = {CreateContext<HmacMd5>, FreeContext<HmacMd5>, Md5Key, Md5Generate, Md5Verify,
                            "hmac-md5", 16, "HMAC-MD5", 16};
const SshMac kMacNone = {NoneCreate, NoneFree, NoneKey, NoneGenerate, NoneVerify, "none", 0, "none", 0};

const SshMac* FindMac(std::string_view name) {
    for (const SshMac* mac : {&kMacHmacSha1, &kMacHmacMd5, &kMacNone}) {
        if (name == mac->name) return mac;
    }
    return nullptr;
}

}  // namespace vorto::crypto

#include "ssh/crypto/hostkey.h"

#include <new>

#include "ssh/crypto/dsa.h"
#include "ssh/crypto/md5.h"
#include "ssh/crypto/rsa.h"

namespace vorto::crypto {

namespace {

std::string Fingerprint(const char* name, unsigned bits, const std::vector<uint8_t>& blob) {
    uint8_t digest[kMd5Length];
    Md5Once(blob.data(), blob.size(), digest);
    static const char kDigits[] = "0123456789abcdef";
    std::string text = std::string(name) + " " + std::to_string(bits) + " ";
    for (size_t i = 0; i < kMd5Length; ++i) {
        if (i) text += ':';
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 15];
    }
    return text;
}

// Moves a parsed key to the heap, or null.
template <typename Key>
void* Keep(bool parsed, Key& key) {
    if (!parsed) return nullptr;
    return new (std::nothrow) Key(std::move(key));
}

template <typename Key>
void FreeKey(void* key) {
    delete static_cast<Key*>(key);
}

const RsaKey& Rsa(const void* key) {
    return *static_cast<const RsaKey*>(key);
}

const DsaKey& Dsa(const void* key) {
    return *static_cast<const DsaKey*>(key);
}

void* RsaFromPublic(std::span<const uint8_t> blob) {
    RsaKey k;
    return Keep(RsaFromPublicBlob(blob, k), k);
}

void* RsaFromBoth(std::span<const uint8_t> pub, std::span<const uint8_t> priv) {
    RsaKey k;
    return Keep(RsaFromBlobs(pub, priv, k), k);
}

void* RsaFromOpenSsh(WireReader& r) {
    RsaKey k;
    return Keep(RsaFromOpenSshPrivate(r, k), k);
}

int RsaBlobBits(std::span<const uint8_t> blob) {
    RsaKey k;
    return RsaFromPublicBlob(blob, k) ? int(BnBitCount(k.modulus)) : -1;
}

}  // namespace

const SshKeyAlgorithm kKeyRsa = {
    RsaFromPublic,
    FreeKey<RsaKey>,
    [](const void* key) { return RsaKeyText(Rsa(key)); },
    [](const void* key) { return RsaPublicBlob(Rsa(key)); },
    [](const void* key) { return RsaPrivateBlob(Rsa(key)); },
    RsaFromBoth,
    RsaFromOpenSsh,
    [](const void* key, std::vector<uint8_t>& out) { RsaWriteOpenSshPrivate(Rsa(key), out); },
    RsaBlobBits,
    [](const void* key) { return Fingerprint("ssh-rsa", BnBitCount(Rsa(key).modulus), RsaPublicBlob(Rsa(key))); },
    [](const void* key, std::span<const uint8_t> sig, std::span<const uint8_t> data) {
        return RsaVerifySha1(Rsa(key), sig, data);
    },
    [](const void* key, std::span<const uint8_t> data, unsigned options, std::vector<uint8_t>& sig) {
        return RsaSignSha1(Rsa(key), data, (options & kSignPadRsaToModulus) != 0, sig);
    },
    "ssh-rsa",
    "rsa2",
};

namespace {

void* DsaFromPublic(std::span<const uint8_t> blob) {
    DsaKey k;
    return Keep(DsaFromPublicBlob(blob, k), k);
}

void* DsaFromBoth(std::span<const uint8_t> pub, std::span<const uint8_t> priv) {
    DsaKey k;
    return Keep(DsaFromBlobs(pub, priv, k), k);
}

void* DsaFromOpenSsh(WireReader& r) {
    DsaKey k;
    return Keep(DsaFromOpenSshPrivate(r, k), k);
}

int DsaBlobBits(std::span<const uint8_t> blob) {
    DsaKey k;
    return DsaFromPublicBlob(blob, k) ? int(BnBitCount(k.p)) : -1;
}

}  // namespace

const SshKeyAlgorithm kKeyDss = {
    DsaFromPublic,
    FreeKey<DsaKey>,
    [](const void* key) { return DsaKeyText(Dsa(key)); },
    [](const void* key) { return DsaPublicBlob(Dsa(key)); },
    [](const void* key) { return DsaPrivateBlob(Dsa(key)); },
    DsaFromBoth,
    DsaFromOpenSsh,
    [](const void* key, std::vector<uint8_t>& out) { DsaWriteOpenSshPrivate(Dsa(key), out); },
    DsaBlobBits,
    [](const void* key) { return Fingerprint("ssh-dss", BnBitCount(Dsa(key).p), DsaPublicBlob(Dsa(key))); },
    [](const void* key, std::span<const uint8_t> sig, std::span<const uint8_t> data) {
        return DsaVerifySha1(Dsa(key), sig, data);
    },
    [](const void* key, std::span<const uint8_t> data, unsigned, std::vector<uint8_t>& sig) {
        return DsaSignSha1(Dsa(key), data, sig);
    },
    "ssh-dss",
    "dss",
};

const SshKeyAlgorithm* FindKeyAlgorithm(std::string_view name) {
    if (name == kKeyRsa.name) return &kKeyRsa;
    if (name == kKeyDss.name) return &kKeyDss;
    return nullptr;
}

}  // namespace vorto::crypto

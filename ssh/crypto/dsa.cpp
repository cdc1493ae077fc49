#include "ssh/crypto/dsa.h"

#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/sha1.h"
#include "ssh/crypto/sha512.h"

namespace vorto::crypto {

namespace {

constexpr std::string_view kName = "ssh-dss";
constexpr size_t kHalf = 20;  // bytes of r and of s in a signature

const Bignum kOne = BnFromUint(1);
const Bignum kTwo = BnFromUint(2);

bool GetName(WireReader& r) {
    std::span<const uint8_t> name;
    return WireGetString(r, name) && std::string_view(reinterpret_cast<const char*>(name.data()), name.size()) == kName;
}

// Sound group parameters: q divides p - 1 and 1 < g < p. The sizes are not
// restricted, but every value must be in range so that no operation below
// divides by zero or takes an inverse that does not exist.
bool ParamsUsable(const DsaKey& k) {
    if (BnBitCount(k.p) > kMaxModulusBits || !BnBit(k.p, 0) || BnBitCount(k.q) < 2 || BnCompare(k.q, k.p) >= 0) return false;
    Bignum pm1, rem;
    BnSub(k.p, kOne, pm1);
    if (!BnMod(pm1, k.q, rem) || !BnIsZero(rem)) return false;
    return BnCompare(k.g, kOne) > 0 && BnCompare(k.g, k.p) < 0 && BnCompare(k.y, k.p) < 0 && !BnIsZero(k.y);
}

Bignum HashOf(std::span<const uint8_t> data, uint8_t digest[kSha1Length]) {
    Sha1Once(data.data(), data.size(), digest);
    return BnFromBytes({digest, kSha1Length});
}

}  // namespace

bool DsaHasPrivate(const DsaKey& key) {
    return !BnIsZero(key.x);
}

bool DsaFromPublicBlob(std::span<const uint8_t> blob, DsaKey& key) {
    WireReader r = WireReaderOf(blob);
    DsaKey k;
    if (!GetName(r) || !WireGetMpint(r, k.p) || !WireGetMpint(r, k.q) || !WireGetMpint(r, k.g) ||
        !WireGetMpint(r, k.y) || !ParamsUsable(k))
        return false;
    key = std::move(k);
    return true;
}

std::vector<uint8_t> DsaPublicBlob(const DsaKey& key) {
    std::vector<uint8_t> out;
    WirePutString(out, kName);
    BnPutMpint(out, key.p);
    BnPutMpint(out, key.q);
    BnPutMpint(out, key.g);
    BnPutMpint(out, key.y);
    return out;
}

std::vector<uint8_t> DsaPrivateBlob(const DsaKey& key) {
    std::vector<uint8_t> out;
    BnPutMpint(out, key.x);
    return out;
}

static bool PrivateMatches(const DsaKey& k) {
    Bignum y;
    return !BnIsZero(k.x) && BnCompare(k.x, k.q) < 0 && BnModPow(k.g, k.x, k.p, y) && BnCompare(y, k.y) == 0;
}

bool DsaFromBlobs(std::span<const uint8_t> public_blob, std::span<const uint8_t> private_blob, DsaKey& key) {
    DsaKey k;
    if (!DsaFromPublicBlob(public_blob, k)) return false;
    WireReader r = WireReaderOf(private_blob);
    if (!WireGetMpint(r, k.x) || !PrivateMatches(k)) return false;
    key = std::move(k);
    return true;
}

bool DsaFromOpenSshPrivate(WireReader& r, DsaKey& key) {
    DsaKey k;
    if (!WireGetMpint(r, k.p) || !WireGetMpint(r, k.q) || !WireGetMpint(r, k.g) || !WireGetMpint(r, k.y) ||
        !WireGetMpint(r, k.x) || !ParamsUsable(k) || !PrivateMatches(k))
        return false;
    key = std::move(k);
    return true;
}

void DsaWriteOpenSshPrivate(const DsaKey& key, std::vector<uint8_t>& out) {
    BnPutMpint(out, key.p);
    BnPutMpint(out, key.q);
    BnPutMpint(out, key.g);
    BnPutMpint(out, key.y);
    BnPutMpint(out, key.x);
}

std::string DsaKeyText(const DsaKey& key) {
    return "0x" + BnToHex(key.p) + ",0x" + BnToHex(key.q) + ",0x" + BnToHex(key.g) + ",0x" + BnToHex(key.y);
}

bool DsaVerifySha1(const DsaKey& key, std::span<const uint8_t> signature_blob, std::span<const uint8_t> data) {
    WireReader reader = WireReaderOf(signature_blob);
    std::span<const uint8_t> signature;
    if (!GetName(reader) || !WireGetString(reader, signature) || signature.size() != 2 * kHalf) return false;
    Bignum r = BnFromBytes(signature.subspan(0, kHalf)), s = BnFromBytes(signature.subspan(kHalf));
    if (BnIsZero(r) || BnIsZero(s) || BnCompare(r, key.q) >= 0 || BnCompare(s, key.q) >= 0) return false;
    uint8_t digest[kSha1Length];
    Bignum h = HashOf(data, digest), w, u1, u2, v1, v2, v;
    if (!BnModInverse(s, key.q, w)) return false;
    BnModMul(h, w, key.q, u1);
    BnModMul(r, w, key.q, u2);
    BnModPow(key.g, u1, key.p, v1);
    BnModPow(key.y, u2, key.p, v2);
    BnModMul(v1, v2, key.p, v);
    BnMod(v, key.q, v);
    return BnCompare(v, r) == 0;
}

bool DsaSignSha1(const DsaKey& key, std::span<const uint8_t> data, std::vector<uint8_t>& signature_blob) {
    if (!DsaHasPrivate(key) || BnBitCount(key.q) > 8 * kHalf) return false;
    uint8_t digest[kSha1Length], seed[kSha512Length], k_bytes[kSha512Length];
    Bignum h = HashOf(data, digest);

    // k = SHA-512(SHA-512("DSA deterministic k generator\0" || mpint(x)) || SHA-1(data)) mod q
    std::vector<uint8_t> x_mpint;
    BnPutMpint(x_mpint, key.x);
    Sha512 hash;
    Sha512Start(hash);
    Sha512Add(hash, "DSA deterministic k generator", 30);
    Sha512Add(hash, x_mpint.data(), x_mpint.size());
    Sha512Finish(hash, seed);
    Wipe(x_mpint.data(), x_mpint.size());
    Sha512Start(hash);
    Sha512Add(hash, seed, sizeof seed);
    Sha512Add(hash, digest, sizeof digest);
    Sha512Finish(hash, k_bytes);
    Bignum k;
    BnMod(BnFromBytes(k_bytes), key.q, k);
    Wipe(seed, sizeof seed);
    Wipe(k_bytes, sizeof k_bytes);

    // q is prime, so k^-1 = k^(q-2) mod q; the exponentiation does not
    // branch on k as Euclid's algorithm would.
    Bignum r, gk, qm2, k_inverse, xr, s;
    BnModPow(key.g, k, key.p, gk);
    BnMod(gk, key.q, r);
    BnSub(key.q, kTwo, qm2);
    BnModPow(k, qm2, key.q, k_inverse);
    BnModMul(key.x, r, key.q, xr);
    BnModMul(BnAdd(h, xr), k_inverse, key.q, s);
    // A zero r or s (or k) makes no valid signature; with a hash-derived k this
    // is practically impossible, but it must not be sent.
    if (BnIsZero(k) || BnIsZero(r) || BnIsZero(s)) return false;

    std::vector<uint8_t> r_bytes, s_bytes;
    BnToBytes(r, kHalf, r_bytes);
    BnToBytes(s, kHalf, s_bytes);
    r_bytes.insert(r_bytes.end(), s_bytes.begin(), s_bytes.end());
    signature_blob.clear();
    WirePutString(signature_blob, kName);
    WirePutString(signature_blob, r_bytes);
    return true;
}

}  // namespace vorto::crypto

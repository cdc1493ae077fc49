#include "ssh/crypto/rsa.h"

#include <cstring>

#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/sha1.h"
#include "ssh/crypto/sha512.h"

namespace vorto::crypto {

namespace {

constexpr std::string_view kName = "ssh-rsa";

// DER DigestInfo for SHA-1 (RFC 3447, section 9.2, note 1).
constexpr uint8_t kSha1DigestInfo[] = {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2b, 0x0e,
                                       0x03, 0x02, 0x1a, 0x05, 0x00, 0x04, 0x14};

const Bignum kOne = BnFromUint(1);

bool GetName(WireReader& r, std::string_view expected) {
    std::span<const uint8_t> name;
    return WireGetString(r, name) && std::string_view(reinterpret_cast<const char*>(name.data()), name.size()) == expected;
}

// EMSA-PKCS1-v1_5 with SHA-1 for a modulus of `length` bytes.
bool EncodeSignedDigest(std::span<const uint8_t> data, size_t length, std::vector<uint8_t>& em) {
    uint8_t digest[kSha1Length];
    Sha1Once(data.data(), data.size(), digest);
    size_t t_len = sizeof kSha1DigestInfo + kSha1Length;
    if (length < t_len + 11) return false;
    em.assign(length, 0xff);
    em[0] = 0x00;
    em[1] = 0x01;
    em[length - t_len - 1] = 0x00;
    std::memcpy(&em[length - t_len], kSha1DigestInfo, sizeof kSha1DigestInfo);
    std::memcpy(&em[length - kSha1Length], digest, kSha1Length);
    return true;
}

size_t ModulusBytes(const RsaKey& key) {
    return (BnBitCount(key.modulus) + 7) / 8;
}

// The stream of bits that the blinding value is drawn from: 64-byte blocks
// SHA-512(SHA-512("RSA deterministic blinding" || counter || mpint(d)) ||
// mpint(input)), each byte read least significant bit first.
struct BlindingStream {
    const RsaKey& key;
    std::vector<uint8_t> input_mpint = {};
    uint32_t counter = 0;
    uint8_t block[kSha512Length] = {};
    size_t bit = 8 * kSha512Length;  // bits used of the current block

    int NextBit() {
        if (bit == 8 * kSha512Length) {
            uint8_t inner[kSha512Length], counter_bytes[4];
            std::vector<uint8_t> d_mpint;
            BnPutMpint(d_mpint, key.private_exponent);
            StoreBe32(counter_bytes, counter++);
            Sha512 h;
            Sha512Start(h);
            Sha512Add(h, "RSA deterministic blinding", 26);
            Sha512Add(h, counter_bytes, 4);
            Sha512Add(h, d_mpint.data(), d_mpint.size());
            Sha512Finish(h, inner);
            Wipe(d_mpint.data(), d_mpint.size());
            Sha512Start(h);
            Sha512Add(h, inner, sizeof inner);
            Sha512Add(h, input_mpint.data(), input_mpint.size());
            Sha512Finish(h, block);
            bit = 0;
        }
        int value = (block[bit / 8] >> (bit % 8)) & 1;
        ++bit;
        return value;
    }
};

// y^d mod n through the primes when they match the modulus; the result is
// checked against the public operation so that a fault cannot leak a prime.
bool PrivateExp(const RsaKey& key, const Bignum& y, Bignum& out) {
    if (!BnIsZero(key.p) && !BnIsZero(key.q) && !BnIsZero(key.iqmp) &&
        BnCompare(BnMul(key.p, key.q), key.modulus) == 0) {
        Bignum pm1, qm1, dp, dq, m1, m2, m2p, diff, h;
        BnSub(key.p, kOne, pm1);
        BnSub(key.q, kOne, qm1);
        BnMod(key.private_exponent, pm1, dp);
        BnMod(key.private_exponent, qm1, dq);
        BnModPow(y, dp, key.p, m1);
        BnModPow(y, dq, key.q, m2);
        BnMod(m2, key.p, m2p);
        BnSub(BnAdd(m1, key.p), m2p, diff);
        BnModMul(diff, key.iqmp, key.p, h);
        Bignum result = BnAdd(m2, BnMul(h, key.q)), check;
        if (BnModPow(result, key.exponent, key.modulus, check) && BnCompare(check, y) == 0) {
            out = std::move(result);
            return true;
        }
    }
    return BnModPow(y, key.private_exponent, key.modulus, out);
}

}  // namespace

bool RsaHasPrivate(const RsaKey& key) {
    return !BnIsZero(key.private_exponent);
}

bool RsaFromPublicBlob(std::span<const uint8_t> blob, RsaKey& key) {
    WireReader r = WireReaderOf(blob);
    RsaKey k;
    if (!GetName(r, kName) || !WireGetMpint(r, k.exponent) || !WireGetMpint(r, k.modulus)) return false;
    // A modulus must be odd and large enough to hold a signature; sizes
    // beyond the limit would only cost time.
    unsigned bits = BnBitCount(k.modulus);
    if (bits < 512 || bits > kMaxModulusBits || !BnBit(k.modulus, 0) || BnIsZero(k.exponent) ||
        BnBitCount(k.exponent) > bits)
        return false;
    key = std::move(k);
    return true;
}

std::vector<uint8_t> RsaPublicBlob(const RsaKey& key) {
    std::vector<uint8_t> out;
    WirePutString(out, kName);
    BnPutMpint(out, key.exponent);
    BnPutMpint(out, key.modulus);
    return out;
}

std::vector<uint8_t> RsaPrivateBlob(const RsaKey& key) {
    std::vector<uint8_t> out;
    BnPutMpint(out, key.private_exponent);
    BnPutMpint(out, key.p);
    BnPutMpint(out, key.q);
    BnPutMpint(out, key.iqmp);
    return out;
}

bool RsaCheckPrivate(const RsaKey& key) {
    // Sizes before products: a forged file with huge numbers must not buy a
    // long multiplication. p q = n needs |p| + |q| to be |n| or |n| + 1.
    const unsigned n_bits = BnBitCount(key.modulus), pq_bits = BnBitCount(key.p) + BnBitCount(key.q);
    if (n_bits == 0 || n_bits > kMaxModulusBits || pq_bits < n_bits || pq_bits > n_bits + 1 ||
        BnBitCount(key.exponent) > n_bits || BnBitCount(key.private_exponent) > n_bits ||
        BnCompare(key.iqmp, key.p) >= 0)
        return false;
    if (BnIsZero(key.p) || BnIsZero(key.q) || BnCompare(BnMul(key.p, key.q), key.modulus) != 0) return false;
    Bignum pm1, qm1, ed = BnMul(key.exponent, key.private_exponent), rem;
    if (!BnSub(key.p, kOne, pm1) || !BnSub(key.q, kOne, qm1) || BnIsZero(pm1) || BnIsZero(qm1)) return false;
    if (!BnMod(ed, pm1, rem) || BnCompare(rem, kOne) != 0) return false;
    if (!BnMod(ed, qm1, rem) || BnCompare(rem, kOne) != 0) return false;
    Bignum check;
    return BnModMul(key.iqmp, key.q, key.p, check) && BnCompare(check, kOne) == 0;
}

bool RsaFromBlobs(std::span<const uint8_t> public_blob, std::span<const uint8_t> private_blob, RsaKey& key) {
    RsaKey k;
    if (!RsaFromPublicBlob(public_blob, k)) return false;
    WireReader r = WireReaderOf(private_blob);
    if (!WireGetMpint(r, k.private_exponent) || !WireGetMpint(r, k.p) || !WireGetMpint(r, k.q) ||
        !WireGetMpint(r, k.iqmp) || !RsaCheckPrivate(k))
        return false;
    key = std::move(k);
    return true;
}

bool RsaFromOpenSshPrivate(WireReader& r, RsaKey& key) {
    RsaKey k;
    if (!WireGetMpint(r, k.modulus) || !WireGetMpint(r, k.exponent) || !WireGetMpint(r, k.private_exponent) ||
        !WireGetMpint(r, k.iqmp) || !WireGetMpint(r, k.p) || !WireGetMpint(r, k.q) ||
        BnBitCount(k.modulus) > kMaxModulusBits || !RsaCheckPrivate(k))
        return false;
    key = std::move(k);
    return true;
}

void RsaWriteOpenSshPrivate(const RsaKey& key, std::vector<uint8_t>& out) {
    BnPutMpint(out, key.modulus);
    BnPutMpint(out, key.exponent);
    BnPutMpint(out, key.private_exponent);
    BnPutMpint(out, key.iqmp);
    BnPutMpint(out, key.p);
    BnPutMpint(out, key.q);
}

std::string RsaKeyText(const RsaKey& key) {
    return "0x" + BnToHex(key.exponent) + ",0x" + BnToHex(key.modulus);
}

bool RsaPublicOp(const RsaKey& key, const Bignum& input, Bignum& out) {
    if (BnCompare(input, key.modulus) >= 0) return false;
    return BnModPow(input, key.exponent, key.modulus, out);
}

bool RsaPrivateOp(const RsaKey& key, const Bignum& input, Bignum& out) {
    // A modulus below 16 bits belongs to no real key, and leaves too few
    // blinding values to draw from.
    unsigned bits = BnBitCount(key.modulus);
    if (!RsaHasPrivate(key) || bits < 16 || BnCompare(input, key.modulus) >= 0) return false;
    BlindingStream stream{key};
    BnPutMpint(stream.input_mpint, input);
    // Nearly every draw is accepted; the bound only stops a broken key
    // (one whose modulus shares factors with most numbers) from looping.
    Bignum r, r_inverse;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 1000) return false;
        r = BnZeroOfBits(bits);
        for (unsigned i = bits; i-- > 0;) BnSetBit(r, i, stream.NextBit());
        if (BnCompare(r, kOne) > 0 && BnCompare(r, key.modulus) < 0 && BnModInverse(r, key.modulus, r_inverse)) break;
    }
    Bignum r_e, blinded, raised;
    if (!BnModPow(r, key.exponent, key.modulus, r_e) || !BnModMul(input, r_e, key.modulus, blinded) ||
        !PrivateExp(key, blinded, raised))
        return false;
    return BnModMul(raised, r_inverse, key.modulus, out);
}

bool RsaVerifySha1(const RsaKey& key, std::span<const uint8_t> signature_blob, std::span<const uint8_t> data) {
    WireReader r = WireReaderOf(signature_blob);
    std::span<const uint8_t> signature;
    if (!GetName(r, kName) || !WireGetString(r, signature)) return false;
    size_t length = ModulusBytes(key);
    // Shorter signatures (leading zeros left out) are accepted; longer ones only with zeros in front.
    Bignum s = BnFromBytes(signature), m;
    std::vector<uint8_t> em, expected;
    if (!RsaPublicOp(key, s, m) || !BnToBytes(m, length, em) || !EncodeSignedDigest(data, length, expected)) return false;
    return em == expected;
}

bool RsaSignSha1(const RsaKey& key, std::span<const uint8_t> data, bool pad_to_modulus,
                 std::vector<uint8_t>& signature_blob) {
    size_t length = ModulusBytes(key);
    std::vector<uint8_t> em, signature;
    Bignum s;
    if (!EncodeSignedDigest(data, length, em) || !RsaPrivateOp(key, BnFromBytes(em), s)) return false;
    BnToBytes(s, pad_to_modulus ? length : 0, signature);
    signature_blob.clear();
    WirePutString(signature_blob, kName);
    WirePutString(signature_blob, signature);
    return true;
}

bool RsaSsh1Encrypt(const RsaKey& key, std::span<const uint8_t> data, RandomSource& random, Bignum& out) {
    size_t length = ModulusBytes(key);
    if (length < data.size() + 11) return false;
    std::vector<uint8_t> em(length);
    em[0] = 0x00;
    em[1] = 0x02;
    size_t pad_end = length - data.size() - 1;
    for (size_t i = 2; i < pad_end; ++i) {
        uint8_t b;
        do b = random.next_byte(random.ctx);
        while (b == 0);
        em[i] = b;
    }
    em[pad_end] = 0x00;
    std::memcpy(em.data() + pad_end + 1, data.data(), data.size());
    bool ok = RsaPublicOp(key, BnFromBytes(em), out);
    Wipe(em.data(), em.size());
    return ok;
}

}  // namespace vorto::crypto

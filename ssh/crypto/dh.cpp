#include "ssh/crypto/dh.h"

namespace vorto::crypto {

namespace {

// RFC 2409, section 6.2: 2^1024 - 2^960 - 1 + 2^64 * (floor(2^894 pi) + 129093).
constexpr const char* kGroup1Prime =
    "FFFFFFFFFFFFFFFFC90FDAA22168C234C4C6628B80DC1CD1"
    "29024E088A67CC74020BBEA63B139B22514A08798E3404DD"
    "EF9519B3CD3A431B302B0A6DF25F14374FE1356D6D51C245"
    "E485B576625E7EC6F44C42E9A637ED6B0BFF5CB6F406B7ED"
    "EE386BFB5A899FA5AE9F24117C4B1FE649286651ECE65381"
    "FFFFFFFFFFFFFFFF";

const Bignum kOne = BnFromUint(1);

void DeriveQ(DhContext& dh) {
    dh.q = BnShiftRight(dh.p, 1);
    dh.x = Bignum{};
    dh.e = Bignum{};
}

}  // namespace

void DhSetupGroup1(DhContext& dh) {
    BnFromHex(kGroup1Prime, dh.p);
    dh.g = BnFromUint(2);
    DeriveQ(dh);
}

bool DhSetupGroup(DhContext& dh, const Bignum& p, const Bignum& g) {
    Bignum pm1;
    if (BnBitCount(p) < kMinGroupBits || BnBitCount(p) > kMaxModulusBits || !BnBit(p, 0)) return false;
    BnSub(p, kOne, pm1);
    if (BnCompare(g, kOne) <= 0 || BnCompare(g, pm1) >= 0) return false;
    dh.p = p;
    dh.g = g;
    DeriveQ(dh);
    return true;
}

bool DhMakeE(DhContext& dh, unsigned secret_bits, RandomSource& random, Bignum& e) {
    unsigned q_bits = BnBitCount(dh.q);
    if (q_bits < 2) return false;
    bool from_bits = secret_bits >= 2 && secret_bits <= q_bits;
    unsigned bits = from_bits ? secret_bits : q_bits;
    // A draw is accepted with probability above one half, so this ends.
    do {
        Bignum x = BnZeroOfBits(bits);
        uint8_t byte = 0;
        for (unsigned i = 0; i < bits; ++i) {
            if (i % 8 == 0) byte = random.next_byte(random.ctx);
            BnSetBit(x, i, (byte >> (i % 8)) & 1);
        }
        dh.x = std::move(x);
    } while (BnCompare(dh.x, kOne) <= 0 || BnCompare(dh.x, dh.q) >= 0);
    if (!BnModPow(dh.g, dh.x, dh.p, dh.e)) return false;
    e = dh.e;
    return true;
}

bool DhComputeK(const DhContext& dh, const Bignum& f, Bignum& k) {
    Bignum pm1;
    if (!BnSub(dh.p, kOne, pm1) || BnCompare(f, kOne) <= 0 || BnCompare(f, pm1) >= 0) return false;
    return BnModPow(f, dh.x, dh.p, k);
}

}  // namespace vorto::crypto

#include <gtest/gtest.h>

#include "crypto_test_keys.h"
#include "ssh/crypto/dh.h"

using namespace vorto::crypto;
using namespace crypto_test;

// Two sides agree on K in the fixed group, and K is f^x mod p as the
// reference computes it; the group's prime is the safe prime of RFC 2409.
TEST(CryptoDh, Group1ExchangeAgreesWithReference) {
    SeededRandom random_a(11), random_b(12);
    RandomSource a_src = random_a.Source(), b_src = random_b.Source();
    DhContext a, b;
    DhSetupGroup1(a);
    DhSetupGroup1(b);
    EXPECT_EQ(BnBitCount(a.p), 1024u);
    EXPECT_EQ(BnBitCount(a.q), 1023u);
    Bignum e, f, k_a, k_b;
    ASSERT_TRUE(DhMakeE(a, 0, a_src, e));
    ASSERT_TRUE(DhMakeE(b, 256, b_src, f));
    EXPECT_LE(BnBitCount(b.x), 256u);
    ASSERT_TRUE(DhComputeK(a, f, k_a));
    ASSERT_TRUE(DhComputeK(b, e, k_b));
    EXPECT_EQ(BnCompare(k_a, k_b), 0);
    std::string out = RunPython(
        "import sys\n"
        "p, g, x, f = (int(v, 16) for v in sys.stdin.read().split())\n"
        "def probable_prime(n):\n"
        "    d, s = n - 1, 0\n"
        "    while d % 2 == 0: d, s = d // 2, s + 1\n"
        "    for a in (2, 3, 5, 7, 11, 13, 17, 19, 23, 29):\n"
        "        y = pow(a, d, n)\n"
        "        if y in (1, n - 1): continue\n"
        "        for _ in range(s - 1):\n"
        "            y = y * y % n\n"
        "            if y == n - 1: break\n"
        "        else: return False\n"
        "    return True\n"
        "print(probable_prime(p) and probable_prime((p - 1) // 2))\n"
        "print(format(pow(g, x, p), 'x'))\n"
        "print(format(pow(f, x, p), 'x'))\n",
        BnToHex(a.p) + " " + BnToHex(a.g) + " " + BnToHex(a.x) + " " + BnToHex(f));
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"True", BnToHex(e), BnToHex(k_a)}));
}

// The secret has the requested size when that fits q, else the size of q,
// and always 1 < x < q.
TEST(CryptoDh, SecretExponentRule) {
    DhContext dh;
    Bignum e;
    DhSetupGroup1(dh);  // q has 1023 bits
    SeededRandom random(3);
    RandomSource src = random.Source();
    unsigned largest_small = 0;
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(DhMakeE(dh, 8, src, e));
        largest_small = std::max(largest_small, BnBitCount(dh.x));
        EXPECT_GT(BnCompare(dh.x, BnFromUint(1)), 0);
    }
    EXPECT_EQ(largest_small, 8u);
    for (unsigned bits : {0u, 1u, 1024u, 5000u}) {
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(DhMakeE(dh, bits, src, e));
            EXPECT_GT(BnCompare(dh.x, BnFromUint(1)), 0);
            EXPECT_LT(BnCompare(dh.x, dh.q), 0);
        }
    }
}

TEST(CryptoDh, RejectsDegenerateValues) {
    DhContext dh;
    DhSetupGroup1(dh);
    SeededRandom random(4);
    RandomSource src = random.Source();
    Bignum e, k, pm1;
    ASSERT_TRUE(DhMakeE(dh, 0, src, e));
    BnSub(dh.p, BnFromUint(1), pm1);
    for (const Bignum& f : {Bignum{}, BnFromUint(1), pm1, dh.p, BnAdd(dh.p, BnFromUint(2))})
        EXPECT_FALSE(DhComputeK(dh, f, k)) << BnToHex(f);
    EXPECT_TRUE(DhComputeK(dh, BnFromUint(2), k));

    DhContext given;
    EXPECT_FALSE(DhSetupGroup(given, BnAdd(dh.p, BnFromUint(1)), BnFromUint(2)));  // even
    EXPECT_FALSE(DhSetupGroup(given, dh.p, BnFromUint(1)));
    EXPECT_FALSE(DhSetupGroup(given, dh.p, pm1));
    EXPECT_TRUE(DhSetupGroup(given, dh.p, BnFromUint(2)));
    Bignum huge = BnZeroOfBits(kMaxModulusBits + 32);
    BnSetBit(huge, kMaxModulusBits + 1, 1);
    BnSetBit(huge, 0, 1);
    EXPECT_FALSE(DhSetupGroup(given, huge, BnFromUint(2)));

    // A server's group below 1024 bits is refused, however sound its maths.
    Bignum small;
    BnFromHex("ffffffffffffffc5", small);
    EXPECT_FALSE(DhSetupGroup(given, small, BnFromUint(5)));
    Bignum just_below = BnShiftRight(dh.p, 1);
    BnSetBit(just_below, 0, 1);
    ASSERT_EQ(BnBitCount(just_below), kMinGroupBits - 1);
    EXPECT_FALSE(DhSetupGroup(given, just_below, BnFromUint(2)));
}

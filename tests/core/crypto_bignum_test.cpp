#include <gtest/gtest.h>

#include "crypto_test_support.h"
#include "ssh/crypto/bignum.h"
#include "ssh/crypto/wire.h"

using namespace vorto::crypto;
using namespace crypto_test;

namespace {

Bignum Hex(const char* text) {
    Bignum n;
    EXPECT_TRUE(BnFromHex(text, n));
    return n;
}

// Random operands of 1..max_bits bits, some of them shaped to reach the
// rare corrections of long division (runs of ones, powers of two).
Bignum RandomOperand(std::mt19937& rng, unsigned max_bits) {
    unsigned bits = 1 + rng() % max_bits;
    Bignum n = BnZeroOfBits(bits);
    int shape = rng() % 8;
    for (unsigned i = 0; i < bits; ++i) {
        int bit = shape == 0 ? 1 : shape == 1 ? (i == bits - 1) : int(rng() & 1);
        BnSetBit(n, i, bit);
    }
    BnSetBit(n, bits - 1, 1);
    return BnShiftRight(n, 0);
}

}  // namespace

// Each operation against Python's integers, operands of 1 to 4096 bits.
TEST(CryptoBignum, ArithmeticMatchesReference) {
    std::mt19937 rng(4096);
    std::string input;
    std::vector<std::string> got;
    auto add_case = [&](const char* op, const Bignum& a, const Bignum& b, const Bignum& c, const std::string& result) {
        input += std::string(op) + " " + BnToHex(a) + " " + BnToHex(b) + " " + BnToHex(c) + "\n";
        got.push_back(result);
    };
    for (int i = 0; i < 400; ++i) {
        unsigned max_bits = i < 200 ? 256 : 4096;
        Bignum a = RandomOperand(rng, max_bits), b = RandomOperand(rng, max_bits), zero;
        add_case("add", a, b, zero, BnToHex(BnAdd(a, b)));
        add_case("mul", a, b, zero, BnToHex(BnMul(a, b)));
        Bignum big = BnMul(a, RandomOperand(rng, max_bits)), q, r, d;
        ASSERT_TRUE(BnDivMod(big, b, &q, &r));
        add_case("div", big, b, zero, BnToHex(q) + " " + BnToHex(r));
        std::string sub = "negative";
        if (BnSub(a, b, d)) sub = BnToHex(d);
        add_case("sub", a, b, zero, sub);
        add_case("gcd", a, b, zero, BnToHex(BnGcd(a, b)));
        Bignum inv;
        add_case("inv", a, b, zero, BnModInverse(a, b, inv) ? BnToHex(inv) : "none");
        unsigned shift = rng() % 100;
        add_case("shr", a, BnFromUint(shift), zero, BnToHex(BnShiftRight(a, shift)));
    }
    // Exponentiation is slow with big operands under the sanitizers: fewer cases.
    for (int i = 0; i < 60; ++i) {
        unsigned max_bits = i < 40 ? 300 : i < 56 ? 2048 : 4096;
        Bignum base = RandomOperand(rng, max_bits + 64), exp = RandomOperand(rng, max_bits),
               mod = RandomOperand(rng, max_bits), out;
        if (i % 5 == 0) BnSetBit(mod, 0, 0);  // even moduli take the other path
        if (BnIsZero(mod)) continue;
        ASSERT_TRUE(BnModPow(base, exp, mod, out));
        add_case("pow", base, exp, mod, BnToHex(out));
    }
    std::string out = RunPython(
        "import sys\n"
        "for line in sys.stdin:\n"
        "    op, a, b, c = line.split(); a, b, c = int(a, 16), int(b, 16), int(c, 16)\n"
        "    h = lambda x: format(x, 'x')\n"
        "    if op == 'add': print(h(a + b))\n"
        "    elif op == 'mul': print(h(a * b))\n"
        "    elif op == 'div': print(h(a // b), h(a % b))\n"
        "    elif op == 'sub': print(h(a - b) if a >= b else 'negative')\n"
        "    elif op == 'gcd':\n"
        "        import math; print(h(math.gcd(a, b)))\n"
        "    elif op == 'inv':\n"
        "        try: print(h(pow(a, -1, b)) if b > 0 else 'none')\n"
        "        except ValueError: print('none')\n"
        "    elif op == 'shr': print(h(a >> b))\n"
        "    elif op == 'pow': print(h(pow(a, b, c)))\n",
        input);
    auto want = Lines(out);
    ASSERT_EQ(want.size(), got.size());
    auto in_lines = Lines(input);
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], want[i]) << in_lines[i];
}

TEST(CryptoBignum, ByteAndHexForms) {
    Bignum n = Hex("0102030405060708090a0b");
    EXPECT_EQ(ToHex(BnToBytes(n)), "0102030405060708090a0b");
    EXPECT_EQ(BnBitCount(n), 81u);
    EXPECT_EQ(BnByte(n, 0), 0x0b);
    EXPECT_EQ(BnByte(n, 10), 0x01);
    EXPECT_EQ(BnByte(n, 11), 0);
    std::vector<uint8_t> padded;
    EXPECT_TRUE(BnToBytes(n, 16, padded));
    EXPECT_EQ(ToHex(padded), "00000000000102030405060708090a0b");
    EXPECT_FALSE(BnToBytes(n, 10, padded));
    EXPECT_EQ(BnToHex(BnFromBytes(FromHex("0000ff"))), "ff");
    EXPECT_EQ(BnToHex(Bignum{}), "0");
    Bignum bad;
    EXPECT_FALSE(BnFromHex("12g4", bad));
}

TEST(CryptoBignum, SetBitBeyondSizeIsRefused) {
    Bignum n = BnZeroOfBits(64);
    EXPECT_TRUE(BnSetBit(n, 63, 1));
    EXPECT_FALSE(BnSetBit(n, 64, 1));
    EXPECT_EQ(BnToHex(n), "8000000000000000");
    EXPECT_EQ(BnBit(n, 63), 1);
    EXPECT_EQ(BnBit(n, 1000), 0);
}

TEST(CryptoBignum, FailuresAreResults) {
    Bignum q, r, out;
    EXPECT_FALSE(BnDivMod(BnFromUint(5), Bignum{}, &q, &r));
    EXPECT_FALSE(BnModPow(BnFromUint(5), BnFromUint(3), Bignum{}, out));
    EXPECT_FALSE(BnModInverse(BnFromUint(6), BnFromUint(9), out));
    EXPECT_TRUE(BnModPow(BnFromUint(5), BnFromUint(3), BnFromUint(1), out));
    EXPECT_TRUE(BnIsZero(out));
}

// The examples of RFC 4251 section 5, and the SSH-1 form.
TEST(CryptoBignum, MpintAndSsh1Encodings) {
    auto mpint = [](const Bignum& n) {
        std::vector<uint8_t> out;
        BnPutMpint(out, n);
        return ToHex(out);
    };
    EXPECT_EQ(mpint(Bignum{}), "00000000");
    EXPECT_EQ(mpint(Hex("9a378f9b2e332a7")), "0000000809a378f9b2e332a7");
    EXPECT_EQ(mpint(Hex("80")), "000000020080");

    Bytes negative = FromHex("00000002edcc");
    WireReader r = WireReaderOf(negative);
    Bignum n;
    EXPECT_FALSE(WireGetMpint(r, n));

    std::vector<uint8_t> ssh1;
    BnPutSsh1(ssh1, Hex("1ffff"));
    EXPECT_EQ(ToHex(ssh1), "001101ffff");
    r = WireReaderOf(ssh1);
    ASSERT_TRUE(WireGetSsh1Bignum(r, n));
    EXPECT_EQ(BnToHex(n), "1ffff");
    EXPECT_EQ(r.left, 0u);
}

TEST(CryptoBignum, ReaderRefusesLengthsBeyondInput) {
    Bignum n;
    Bytes truncated = FromHex("00000009aabbcc");
    WireReader r = WireReaderOf(truncated);
    EXPECT_FALSE(WireGetMpint(r, n));
    Bytes huge = FromHex("ffffffff00");
    r = WireReaderOf(huge);
    std::span<const uint8_t> s;
    EXPECT_FALSE(WireGetString(r, s));
    uint32_t v;
    EXPECT_FALSE(WireGetU32(r, v));  // stays failed
    Bytes ssh1_short = FromHex("0011ffff");
    r = WireReaderOf(ssh1_short);
    EXPECT_FALSE(WireGetSsh1Bignum(r, n));
    Bytes ssh1_lying = FromHex("0008ffff");  // 8 bits announced, 16 bytes of room
    r = WireReaderOf(ssh1_lying);
    EXPECT_TRUE(WireGetSsh1Bignum(r, n));
    EXPECT_EQ(r.left, 1u);
}

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "crypto_test_keys.h"
#include "ssh/hostkeys.h"

using namespace vorto::ssh;

namespace {

// The old SSH-1 form of one number, built independently of the converter:
// 32-bit words least significant first, each written as its low 16 bits
// then its high 16 bits.
std::string OldNumber(const vorto::crypto::Bignum& n) {
    std::string text;
    std::vector<uint8_t> bytes = vorto::crypto::BnToBytes(n);
    size_t words = (bytes.size() + 3) / 4;
    if (words == 0) words = 1;
    for (size_t w = 0; w < words; ++w) {
        uint32_t word = 0;
        for (int b = 3; b >= 0; --b) word = (word << 8) | vorto::crypto::BnByte(n, unsigned(4 * w + b));
        char group[9];
        std::snprintf(group, sizeof group, "%04x%04x", unsigned(word & 0xffff), unsigned(word >> 16));
        text += group;
    }
    return text;
}

}  // namespace

TEST(SshHostKeys, ValueNameKeepsCaseAndNamesPortAndType) {
    EXPECT_EQ(HostKeyValueName(kHostKeyTypeRsa2, 2222, "Files.Example.COM"), "rsa2@2222:Files.Example.COM");
    EXPECT_EQ(HostKeyValueName(kHostKeyTypeDss, 22, "10.0.0.1"), "dss@22:10.0.0.1");
    EXPECT_NE(HostKeyValueName(kHostKeyTypeRsa2, 22, "host"), HostKeyValueName(kHostKeyTypeRsa2, 2222, "host"));
    EXPECT_EQ(OldHostKeyValueName("Host.example"), "Host.example");
}

TEST(SshHostKeys, EscapingCoversEveryUnsafeByteAndOnlyTheLeadingDot) {
    EXPECT_EQ(EscapeHostName(".hidden.host."), "%2Ehidden.host.");
    EXPECT_EQ(EscapeHostName("a b\\c*d?e%f"), "a%20b%5Cc%2Ad%3Fe%25f");
    EXPECT_EQ(EscapeHostName(std::string("\x01\x1f\x7f\x80\xff", 5)), "%01%1F%7F%80%FF");
    EXPECT_EQ(EscapeHostName(std::string("a\0b", 3)), "a%00b");
    EXPECT_EQ(EscapeHostName("user@[::1]:/x-y_z~"), "user@[::1]:/x-y_z~");
    // Escaping '%' keeps distinct hosts apart.
    EXPECT_NE(EscapeHostName("a b"), EscapeHostName("a%20b"));
    EXPECT_EQ(EscapeHostName(""), "");
}

TEST(SshHostKeys, OldFormConvertsWordsAndSwappedHalves) {
    std::string text;
    ASSERT_TRUE(ConvertOldRsaKeyText("56781234/00020000" "00010000", text));
    EXPECT_EQ(text, "0x12345678,0x100000002");
    // Zero words at the top are leading zeros; zero itself stays one digit.
    ASSERT_TRUE(ConvertOldRsaKeyText("00010000" "00000000/00000000", text));
    EXPECT_EQ(text, "0x1,0x0");
    ASSERT_TRUE(ConvertOldRsaKeyText("ABCDEF01/0000FFFF", text));
    EXPECT_EQ(text, "0xef01abcd,0xffff0000");
}

TEST(SshHostKeys, OldFormOfARealKeyConvertsToItsKeyText) {
    for (int bits : {1024, 2048}) {
        vorto::crypto::RsaKey key = crypto_test::TestRsaKey(bits);
        ASSERT_FALSE(vorto::crypto::BnIsZero(key.modulus));
        std::string text;
        ASSERT_TRUE(ConvertOldRsaKeyText(OldNumber(key.exponent) + "/" + OldNumber(key.modulus), text));
        EXPECT_EQ(text, vorto::crypto::RsaKeyText(key));
    }
}

TEST(SshHostKeys, MalformedOldFormIsRefusedAndLeavesOutputAlone) {
    std::string text = "kept";
    for (const char* bad : {"", "/", "00000001", "00000001/", "/00000001", "0000001/00000001",
                            "000000010/00000001", "0000000g/00000001", "00000001/00000001/00000001",
                            "0x000001/00000001", "00000001,00000001", "0000 001/00000001"}) {
        EXPECT_FALSE(ConvertOldRsaKeyText(bad, text)) << bad;
    }
    EXPECT_FALSE(ConvertOldRsaKeyText(std::string("0000\0" "001/00000001", 17), text));
    EXPECT_EQ(text, "kept");
}

#include <gtest/gtest.h>

#include "crypto_test_support.h"
#include "ssh/crypto/hmac.h"
#include "ssh/crypto/mac.h"

using namespace vorto::crypto;
using namespace crypto_test;

TEST(CryptoHmac, Rfc2202Vectors) {
    auto records = ReadVectors("hmac.txt");
    ASSERT_EQ(records.size(), 14u);
    for (const Record& r : records) {
        Bytes key = FieldBytes(r, "key"), data = FieldBytes(r, "data");
        Bytes mac(20);
        if (r.at("hash") == "sha1") {
            HmacSha1Once(key.data(), key.size(), data.data(), data.size(), mac.data());
        } else {
            mac.resize(16);
            HmacMd5Once(key.data(), key.size(), data.data(), data.size(), mac.data());
        }
        EXPECT_EQ(ToHex(mac), r.at("mac")) << r.at("hash") << " " << ToHex(key);
    }
}

namespace {

// MAC of (sequence, packet) through a record, written after the packet.
Bytes MacThroughRecord(const SshMac& record, const Bytes& key, const Bytes& packet, uint32_t sequence) {
    void* ctx = record.create();
    record.set_key(ctx, key.data());
    Bytes buffer = packet;
    buffer.resize(packet.size() + record.mac_length);
    record.generate(ctx, buffer.data(), packet.size(), sequence);
    EXPECT_TRUE(record.verify(ctx, buffer.data(), packet.size(), sequence));
    record.free(ctx);
    return Bytes(buffer.begin() + packet.size(), buffer.end());
}

}  // namespace

// Generation covers the big-endian sequence number and the packet, and the
// bug-compatible form uses only 16 key bytes; checked against Python's hmac.
TEST(CryptoHmac, MacRecordsMatchReference) {
    std::mt19937 rng(2104);
    // The packet goes as "x" + hex so that an empty packet is still a field.
    std::string input, script =
        "import sys, hmac\n"
        "for line in sys.stdin:\n"
        "    h, k, seq, p = line.split()\n"
        "    m = int(seq).to_bytes(4, 'big') + bytes.fromhex(p[1:])\n"
        "    print(hmac.new(bytes.fromhex(k), m, h).hexdigest())\n";
    std::vector<std::string> got;
    const SshMac* records[] = {&kMacHmacSha1, &kMacHmacSha1Buggy, &kMacHmacMd5};
    const char* hashes[] = {"sha1", "sha1", "md5"};
    for (int i = 0; i < 30; ++i) {
        Bytes key = RandomBytes(rng, 40), packet = RandomBytes(rng, rng() % 300);
        uint32_t seq = rng();
        for (int k = 0; k < 3; ++k) {
            got.push_back(ToHex(MacThroughRecord(*records[k], key, packet, seq)));
            input += std::string(hashes[k]) + " " + ToHex(key.data(), records[k]->key_length) + " " +
                     std::to_string(seq) + " x" + ToHex(packet) + "\n";
        }
    }
    EXPECT_EQ(Lines(RunPython(script, input)), got);
}

TEST(CryptoHmac, VerifyRejectsAnyChangedByte) {
    Bytes key(20, 0x42), packet = FromText("payload of a packet");
    void* ctx = kMacHmacSha1.create();
    kMacHmacSha1.set_key(ctx, key.data());
    Bytes buffer = packet;
    buffer.resize(packet.size() + 20);
    kMacHmacSha1.generate(ctx, buffer.data(), packet.size(), 7);
    EXPECT_FALSE(kMacHmacSha1.verify(ctx, buffer.data(), packet.size(), 8));
    for (size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] ^= 1;
        EXPECT_FALSE(kMacHmacSha1.verify(ctx, buffer.data(), packet.size(), 7)) << i;
        buffer[i] ^= 1;
    }
    kMacHmacSha1.free(ctx);
}

TEST(CryptoHmac, NoneWritesNothingAndAlwaysVerifies) {
    const SshMac* none = FindMac("none");
    ASSERT_EQ(none, &kMacNone);
    EXPECT_EQ(none->mac_length, 0u);
    void* ctx = none->create();
    EXPECT_NE(ctx, nullptr);
    uint8_t packet[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    none->generate(ctx, packet, 4, 1);
    EXPECT_EQ(packet[4], 5);
    EXPECT_TRUE(none->verify(ctx, packet, 4, 99));
    none->free(ctx);
}

TEST(CryptoHmac, RecordsByName) {
    EXPECT_EQ(FindMac("hmac-sha1"), &kMacHmacSha1);
    EXPECT_EQ(FindMac("hmac-md5"), &kMacHmacMd5);
    EXPECT_EQ(FindMac("hmac-sha1-96"), nullptr);
    EXPECT_STREQ(kMacHmacSha1Buggy.name, "hmac-sha1");
    EXPECT_STREQ(kMacHmacSha1Buggy.display_name, "bug-compatible HMAC-SHA1");
    EXPECT_STREQ(kMacHmacMd5.display_name, "HMAC-MD5");
}

#include <gtest/gtest.h>

#include <set>

#include "crypto_test_keys.h"
#include "crypto_test_support.h"
#include "ssh/crypto/hash_util.h"
#include "ssh/sshpacket.h"

using namespace vorto::ssh;
using namespace vorto::crypto;
using namespace crypto_test;

namespace {

const SshCipher* const kAllCiphers[] = {&kCipherAes256,     &kCipherRijndael256, &kCipherRijndaelAlias,
                                        &kCipherAes192,     &kCipherRijndael192, &kCipherAes128,
                                        &kCipherRijndael128, &kCipherBlowfish,   &kCipher3Des,
                                        &kCipherDes};
const SshMac* const kAllMacs[] = {&kMacHmacSha1, &kMacHmacSha1Buggy, &kMacHmacMd5, &kMacNone};
const SshCompression* const kAllCompressions[] = {&kCompressionNone, &kCompressionZlib};

void RandomKeys(std::mt19937& rng, PacketKeys& keys) {
    for (auto* k : {&keys.iv, &keys.cipher_key, &keys.mac_key})
        for (auto& b : *k) b = uint8_t(rng());
}

std::vector<Bytes> ReadAll(PacketIn& in) {
    std::vector<Bytes> got;
    Bytes payload;
    while (PacketRead(in, payload) == PacketResult::kPacket) got.push_back(payload);
    return got;
}

// The decrypted packet (length field to padding) of one packet on the wire.
Bytes Decrypt(const PacketKeys& keys, const Bytes& wire) {
    Bytes packet(wire.begin(), wire.end() - keys.mac->mac_length);
    void* ctx = keys.cipher->create();
    keys.cipher->set_key(ctx, keys.cipher_key.data());
    keys.cipher->set_iv(ctx, keys.iv.data());
    keys.cipher->decrypt(ctx, packet.data(), packet.size());
    keys.cipher->free(ctx);
    return packet;
}

// One block of a forged packet header, encrypted as the peer would.
Bytes ForgedHeader(const PacketKeys& keys, uint32_t length, uint8_t padding) {
    size_t block = keys.cipher ? std::max<size_t>(keys.cipher->block_size, 8) : 8;
    Bytes header(block, 0);
    header[0] = uint8_t(length >> 24);
    header[1] = uint8_t(length >> 16);
    header[2] = uint8_t(length >> 8);
    header[3] = uint8_t(length);
    header[4] = padding;
    if (keys.cipher) {
        void* ctx = keys.cipher->create();
        keys.cipher->set_key(ctx, keys.cipher_key.data());
        keys.cipher->set_iv(ctx, keys.iv.data());
        keys.cipher->encrypt(ctx, header.data(), header.size());
        keys.cipher->free(ctx);
    }
    return header;
}

}  // namespace

// Every cipher, MAC and compression: packets written after a key switch
// come out of the incoming side unchanged, whether the bytes arrive in one
// piece or one at a time. The first packet goes in the clear and the keys
// switch at the boundary behind it, with the next packet's bytes already
// buffered.
TEST(SshPacket, RoundTripEveryAlgorithmCombination) {
    std::mt19937 rng(4253);
    SeededRandom random(6);
    RandomSource src = random.Source();
    const std::vector<size_t> sizes = {0, 1, 17, 300, 2000, 33000};
    for (const SshCipher* cipher : kAllCiphers) {
        for (const SshMac* mac : kAllMacs) {
            for (const SshCompression* compression : kAllCompressions) {
                SCOPED_TRACE(std::string(cipher->name) + " " + mac->display_name + " " + compression->name);
                PacketKeys keys;
                keys.cipher = cipher;
                keys.mac = mac;
                keys.compression = compression;
                RandomKeys(rng, keys);
                PacketOut out;
                std::vector<Bytes> sent = {FromText("\x15")};
                Bytes wire;
                ASSERT_TRUE(PacketWrite(out, sent[0], src, wire));
                ASSERT_TRUE(PacketOutSetKeys(out, keys));
                for (size_t size : sizes) {
                    Bytes payload = size % 2 ? RandomBytes(rng, size) : Bytes(size, uint8_t('a' + size % 26));
                    ASSERT_TRUE(PacketWrite(out, payload, src, wire));
                    sent.push_back(payload);
                }
                EXPECT_EQ(out.sequence, sent.size());

                PacketIn whole;
                PacketInFeed(whole, wire);
                Bytes payload;
                ASSERT_EQ(PacketRead(whole, payload), PacketResult::kPacket);
                EXPECT_EQ(payload, sent[0]);
                ASSERT_TRUE(PacketInSetKeys(whole, keys));
                std::vector<Bytes> got = ReadAll(whole);
                got.insert(got.begin(), payload);
                EXPECT_EQ(got, sent);
                EXPECT_EQ(whole.sequence, sent.size());
                EXPECT_TRUE(whole.error.empty()) << whole.error;

                PacketIn bytewise;
                got.clear();
                for (uint8_t b : wire) {
                    PacketInFeed(bytewise, std::span<const uint8_t>(&b, 1));
                    if (PacketRead(bytewise, payload) != PacketResult::kPacket) continue;
                    got.push_back(payload);
                    if (got.size() == 1) {
                        ASSERT_TRUE(PacketInSetKeys(bytewise, keys));
                    }
                }
                EXPECT_EQ(got, sent);
                EXPECT_TRUE(bytewise.error.empty()) << bytewise.error;
            }
        }
    }
}

// The padding makes the packet a multiple of the block size (at least 8),
// is at least 4 and fewer than block + 4 bytes, and is random; the sequence
// number wraps from 2^32 - 1 to 0 on both sides.
TEST(SshPacket, PaddingAndSequenceWrap) {
    std::mt19937 rng(6);
    SeededRandom random(7);
    RandomSource src = random.Source();
    for (const SshCipher* cipher : {&kCipherAes128, &kCipherBlowfish}) {
        PacketKeys keys;
        keys.cipher = cipher;
        keys.mac = &kMacHmacSha1;
        keys.compression = &kCompressionNone;
        RandomKeys(rng, keys);
        PacketOut out;
        PacketIn in;
        ASSERT_TRUE(PacketOutSetKeys(out, keys));
        ASSERT_TRUE(PacketInSetKeys(in, keys));
        out.sequence = in.sequence = 0xFFFFFFFE;
        const size_t block = cipher->block_size;
        std::set<Bytes> paddings;
        // Decrypting each packet alone needs a fresh chain, so each gets fresh contexts.
        for (size_t size = 0; size < 3 * block; ++size) {
            PacketOut single;
            ASSERT_TRUE(PacketOutSetKeys(single, keys));
            Bytes payload = RandomBytes(rng, size), wire;
            ASSERT_TRUE(PacketWrite(single, payload, src, wire));
            Bytes packet = Decrypt(keys, wire);
            ASSERT_EQ(packet.size() % block, 0u);
            uint32_t length = LoadBe32(packet.data());
            size_t padding = packet[4];
            EXPECT_EQ(length + 4, packet.size());
            EXPECT_GE(padding, 4u);
            EXPECT_LT(padding, block + 4);
            EXPECT_EQ(length, 1 + size + padding);
            EXPECT_EQ(Bytes(packet.begin() + 5, packet.begin() + 5 + size), payload);
            paddings.insert(Bytes(packet.end() - padding, packet.end()));
        }
        EXPECT_GT(paddings.size(), 2 * block);  // not a constant filler

        Bytes wire;
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(PacketWrite(out, FromText("wrap"), src, wire));
        EXPECT_EQ(out.sequence, 1u);
        PacketInFeed(in, wire);
        EXPECT_EQ(ReadAll(in).size(), 3u) << in.error;
        EXPECT_EQ(in.sequence, 1u);
    }
    // Without a cipher the block is 8.
    PacketOut clear;
    for (size_t size = 0; size < 20; ++size) {
        Bytes wire;
        ASSERT_TRUE(PacketWrite(clear, Bytes(size, 1), src, wire));
        EXPECT_EQ(wire.size() % 8, 0u);
        EXPECT_GE(wire[4], 4);
        EXPECT_LT(wire[4], 12);
    }
}

// Any changed byte after the first block, or in the MAC, ends the stream
// with the MAC error; the error stays, even for a good packet after it.
TEST(SshPacket, ChangedByteGivesMacError) {
    std::mt19937 rng(2104);
    SeededRandom random(8);
    RandomSource src = random.Source();
    for (const SshMac* mac : {&kMacHmacSha1, &kMacHmacMd5}) {
        PacketKeys keys;
        keys.cipher = &kCipherAes128;
        keys.mac = mac;
        keys.compression = &kCompressionNone;
        RandomKeys(rng, keys);
        PacketOut out;
        ASSERT_TRUE(PacketOutSetKeys(out, keys));
        Bytes wire, good;
        ASSERT_TRUE(PacketWrite(out, RandomBytes(rng, 100), src, wire));
        ASSERT_TRUE(PacketWrite(out, RandomBytes(rng, 10), src, good));
        for (size_t i = 16; i < wire.size(); ++i) {
            Bytes bad = wire;
            bad[i] ^= 0x01;
            PacketIn in;
            ASSERT_TRUE(PacketInSetKeys(in, keys));
            PacketInFeed(in, bad);
            Bytes payload;
            ASSERT_EQ(PacketRead(in, payload), PacketResult::kError) << i;
            EXPECT_EQ(in.error, "Incorrect MAC received on packet");
            PacketInFeed(in, good);
            EXPECT_EQ(PacketRead(in, payload), PacketResult::kError);
        }
    }
}

// Forged length fields fail as soon as the first block is in, without
// waiting for (or allocating) the length they name.
TEST(SshPacket, ForgedLengthsAreGarbled) {
    std::mt19937 rng(35000);
    struct Forged {
        uint32_t length;
        uint8_t padding;
    };
    const Forged forged[] = {{0, 4},          {3, 4},         {0xFFFFFFFF, 4}, {0x7FFFFFFC, 4},
                             {kMaxPacketLength + 12, 4},      {1024 * 1024 * 1024 - 4, 4},
                             {29, 4},         {28, 28},       {28, 40},        {28, 3}};
    for (const SshCipher* cipher : {static_cast<const SshCipher*>(nullptr), &kCipherAes256, &kCipher3Des}) {
        PacketKeys keys;
        keys.cipher = cipher;
        keys.mac = &kMacHmacSha1;
        keys.compression = &kCompressionNone;
        RandomKeys(rng, keys);
        for (const Forged& f : forged) {
            SCOPED_TRACE(std::to_string(f.length) + "/" + std::to_string(f.padding));
            PacketIn in;
            ASSERT_TRUE(PacketInSetKeys(in, keys));
            Bytes header = ForgedHeader(keys, f.length, f.padding);
            // The header minus one byte is not enough to judge.
            PacketInFeed(in, std::span<const uint8_t>(header.data(), header.size() - 1));
            Bytes payload;
            EXPECT_EQ(PacketRead(in, payload), PacketResult::kNeedMore);
            PacketInFeed(in, std::span<const uint8_t>(&header.back(), 1));
            EXPECT_EQ(PacketRead(in, payload), PacketResult::kError);
            EXPECT_EQ(in.error, "Incoming packet was garbled on decryption");
            EXPECT_LT(in.buffer.capacity(), 4096u);
        }
    }
}

// A compressed stream that is not zlib ends the stream with an error.
TEST(SshPacket, MalformedCompressedPayloadIsFatal) {
    SeededRandom random(9);
    RandomSource src = random.Source();
    PacketKeys plain, zlib;
    plain.mac = zlib.mac = &kMacNone;
    plain.compression = &kCompressionNone;
    zlib.compression = &kCompressionZlib;
    PacketOut out;
    PacketIn in;
    ASSERT_TRUE(PacketOutSetKeys(out, plain));
    ASSERT_TRUE(PacketInSetKeys(in, zlib));
    Bytes wire;
    ASSERT_TRUE(PacketWrite(out, FromText("\xff\xff not a zlib stream"), src, wire));
    PacketInFeed(in, wire);
    Bytes payload;
    EXPECT_EQ(PacketRead(in, payload), PacketResult::kError);
    EXPECT_EQ(in.error, "Incoming packet could not be decompressed");
}

// One packet per cipher family, taken apart by the reference: decrypted
// with its CBC, its HMAC checked over the sequence number and the packet,
// and its fields printed back.
TEST(SshPacket, EncryptedPacketMatchesReference) {
    std::mt19937 rng(1996);
    SeededRandom random(10);
    RandomSource src = random.Source();
    std::string input;
    std::vector<std::string> expected;
    struct Case {
        const SshCipher* cipher;
        const SshMac* mac;
        const char* alg;
        const char* hash;
    };
    for (const Case& c : {Case{&kCipherAes256, &kMacHmacSha1, "aes", "sha1"},
                          Case{&kCipher3Des, &kMacHmacMd5, "3des", "md5"},
                          Case{&kCipherBlowfish, &kMacHmacSha1, "blowfish", "sha1"}}) {
        PacketKeys keys;
        keys.cipher = c.cipher;
        keys.mac = c.mac;
        keys.compression = &kCompressionNone;
        RandomKeys(rng, keys);
        PacketOut out;
        ASSERT_TRUE(PacketOutSetKeys(out, keys));
        out.sequence = 0x12345678;
        Bytes payload = RandomBytes(rng, 77), wire;
        ASSERT_TRUE(PacketWrite(out, payload, src, wire));
        input += std::string(c.alg) + " " + c.hash + " " +
                 ToHex(keys.cipher_key.data(), CipherKeyBytes(*c.cipher)) + " " +
                 ToHex(keys.iv.data(), c.cipher->block_size) + " " + ToHex(keys.mac_key.data(), c.mac->key_length) +
                 " " + ToHex(wire) + "\n";
        expected.push_back("ok " + ToHex(payload));
    }
    std::string out = RunPython(
        "import sys, warnings, hmac, struct\n"
        "warnings.simplefilter('ignore')\n"
        "from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes\n"
        "for line in sys.stdin:\n"
        "    alg, h, k, iv, mk, w = line.split()\n"
        "    k, iv, mk, w = (bytes.fromhex(x) for x in (k, iv, mk, w))\n"
        "    a = {'aes': algorithms.AES, '3des': algorithms.TripleDES, 'blowfish': algorithms.Blowfish}[alg](k)\n"
        "    n = 20 if h == 'sha1' else 16\n"
        "    d = Cipher(a, modes.CBC(iv)).decryptor()\n"
        "    p = d.update(w[:-n]) + d.finalize()\n"
        "    length, pad = struct.unpack('>IB', p[:5])\n"
        "    good = length + 4 == len(p) and len(p) % len(iv) == 0 and 4 <= pad < len(iv) + 4\n"
        "    mac = hmac.new(mk, struct.pack('>I', 0x12345678) + p, h).digest()\n"
        "    good = good and hmac.compare_digest(mac, w[-n:])\n"
        "    print(('ok ' if good else 'bad ') + p[5:length + 4 - pad].hex())\n",
        input);
    EXPECT_EQ(Lines(out), expected);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "crypto_test_support.h"
#include "ssh/crypto/aes.h"
#include "ssh/crypto/blowfish.h"
#include "ssh/crypto/cipher.h"
#include "ssh/crypto/des.h"

using namespace vorto::crypto;
using namespace crypto_test;

namespace {

struct CipherRun {
    Bytes encrypted, decrypted;
};

// Encrypts and decrypts through a record, the data cut into pieces at
// block boundaries so that the chaining value must carry across calls.
CipherRun ThroughRecord(const SshCipher& c, const Bytes& key, const Bytes& iv, const Bytes& plain, size_t piece) {
    CipherRun run;
    for (int direction = 0; direction < 2; ++direction) {
        void* ctx = c.create();
        c.set_key(ctx, key.data());
        c.set_iv(ctx, iv.data());
        Bytes data = direction == 0 ? plain : run.encrypted;
        for (size_t at = 0; at < data.size(); at += piece) {
            size_t n = std::min(piece, data.size() - at);
            EXPECT_TRUE(direction == 0 ? c.encrypt(ctx, data.data() + at, n) : c.decrypt(ctx, data.data() + at, n));
        }
        c.free(ctx);
        (direction == 0 ? run.encrypted : run.decrypted) = data;
    }
    return run;
}

const SshCipher* AesByKeyLength(size_t bytes) {
    return bytes == 16 ? &kCipherAes128 : bytes == 24 ? &kCipherAes192 : &kCipherAes256;
}

}  // namespace

TEST(CryptoCipher, AesKnownAnswers) {
    auto records = ReadVectors("aes.txt");
    ASSERT_EQ(records.size(), 6u);
    for (const Record& r : records) {
        Bytes key = FieldBytes(r, "key"), plain = FieldBytes(r, "plain");
        CipherRun run = ThroughRecord(*AesByKeyLength(key.size()), key, FieldBytes(r, "iv"), plain, 16);
        EXPECT_EQ(ToHex(run.encrypted), r.at("cipher")) << r.at("key");
        EXPECT_EQ(run.decrypted, plain);
    }
}

TEST(CryptoCipher, DesKnownAnswers) {
    auto records = ReadVectors("des.txt");
    ASSERT_EQ(records.size(), 6u);
    for (const Record& r : records) {
        Bytes key = FieldBytes(r, "key"), iv = FieldBytes(r, "iv"), plain = FieldBytes(r, "plain");
        if (r.at("mode") == "des") {
            CipherRun run = ThroughRecord(kCipherDes, key, iv, plain, 8);
            EXPECT_EQ(ToHex(run.encrypted), r.at("cipher")) << r.at("key");
            EXPECT_EQ(run.decrypted, plain);
        } else {  // three-key EDE, block by block
            TripleDesCbc ctx;
            TripleDesSetKey(ctx, key.data());
            Bytes out(plain.size()), back(plain.size());
            for (size_t at = 0; at < plain.size(); at += 8) {
                TripleDesEncryptBlock(ctx, plain.data() + at, out.data() + at);
                TripleDesDecryptBlock(ctx, out.data() + at, back.data() + at);
            }
            EXPECT_EQ(ToHex(out), r.at("cipher"));
            EXPECT_EQ(back, plain);
        }
    }
}

TEST(CryptoCipher, BlowfishKnownAnswers) {
    auto records = ReadVectors("blowfish.txt");
    ASSERT_EQ(records.size(), 7u);
    for (const Record& r : records) {
        Bytes key = FieldBytes(r, "key"), iv = FieldBytes(r, "iv"), plain = FieldBytes(r, "plain");
        Blowfish ctx;
        ASSERT_TRUE(BlowfishSetKey(ctx, key.data(), key.size()));
        std::memcpy(ctx.iv, iv.data(), 8);
        Bytes data = plain;
        BlowfishCbcEncrypt(ctx, data.data(), data.size());
        EXPECT_EQ(ToHex(data), r.at("cipher")) << r.at("key");
        std::memcpy(ctx.iv, iv.data(), 8);
        BlowfishCbcDecrypt(ctx, data.data(), data.size());
        EXPECT_EQ(data, plain);
    }
}

// Every SSH-2 record against Python's cryptography package: random keys,
// IVs and lengths, fed in uneven pieces.
TEST(CryptoCipher, RecordsMatchReference) {
    std::mt19937 rng(197);
    const SshCipher* ciphers[] = {&kCipherAes256, &kCipherAes192, &kCipherAes128, &kCipherBlowfish, &kCipher3Des,
                                  &kCipherDes};
    std::string input;
    std::vector<std::string> got;
    for (const SshCipher* c : ciphers) {
        for (int i = 0; i < 12; ++i) {
            Bytes key = RandomBytes(rng, CipherKeyBytes(*c)), iv = RandomBytes(rng, c->block_size);
            Bytes plain = RandomBytes(rng, c->block_size * (1 + rng() % 200));
            CipherRun run = ThroughRecord(*c, key, iv, plain, c->block_size * (1 + rng() % 5));
            EXPECT_EQ(run.decrypted, plain) << c->name;
            got.push_back(ToHex(run.encrypted));
            input += std::string(c->name) + " " + ToHex(key) + " " + ToHex(iv) + " " + ToHex(plain) + "\n";
        }
    }
    std::string out = RunPython(
        "import sys, warnings\n"
        "warnings.simplefilter('ignore')\n"
        "from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes\n"
        "for line in sys.stdin:\n"
        "    name, k, iv, p = line.split(); k = bytes.fromhex(k)\n"
        "    if name.startswith('aes'): alg = algorithms.AES(k)\n"
        "    elif name.startswith('blowfish'): alg = algorithms.Blowfish(k)\n"
        "    elif name.startswith('3des'): alg = algorithms.TripleDES(k)\n"
        "    else: alg = algorithms.TripleDES(k * 3)\n"
        "    e = Cipher(alg, modes.CBC(bytes.fromhex(iv))).encryptor()\n"
        "    print((e.update(bytes.fromhex(p)) + e.finalize()).hex())\n",
        input);
    EXPECT_EQ(Lines(out), got);
}

// SSH-1 triple DES is three separately chained stages, and SSH-1 Blowfish
// reads its words little-endian; both checked against compositions of the
// reference's standard CBC.
TEST(CryptoCipher, Ssh1CiphersMatchReference) {
    std::mt19937 rng(1995);
    std::string input;
    std::vector<std::string> got;
    for (const Ssh1Cipher* c : {&kSsh1Cipher3Des, &kSsh1CipherBlowfish, &kSsh1CipherDes}) {
        for (int i = 0; i < 8; ++i) {
            Bytes key = RandomBytes(rng, kSsh1SessionKeyLength), plain = RandomBytes(rng, 8 * (1 + rng() % 100));
            void* enc = c->create();
            void* dec = c->create();
            c->set_key(enc, key.data());
            c->set_key(dec, key.data());
            Bytes data = plain;
            size_t half = 8 * (data.size() / 16);
            ASSERT_TRUE(c->encrypt(enc, data.data(), half));
            ASSERT_TRUE(c->encrypt(enc, data.data() + half, data.size() - half));
            got.push_back(ToHex(data));
            ASSERT_TRUE(c->decrypt(dec, data.data(), data.size()));
            EXPECT_EQ(data, plain) << c->name;
            c->free(enc);
            c->free(dec);
            input += std::string(c->name) + " " + ToHex(key) + " " + ToHex(plain) + "\n";
        }
    }
    std::string out = RunPython(
        "import sys, warnings\n"
        "warnings.simplefilter('ignore')\n"
        "from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes\n"
        "def des(k, data, enc):\n"
        "    c = Cipher(algorithms.TripleDES(k * 3), modes.CBC(bytes(8)))\n"
        "    x = c.encryptor() if enc else c.decryptor()\n"
        "    return x.update(data) + x.finalize()\n"
        "def swap(d): return b''.join(d[i:i+4][::-1] for i in range(0, len(d), 4))\n"
        "for line in sys.stdin:\n"
        "    name, k, p = line.split(); k = bytes.fromhex(k); p = bytes.fromhex(p)\n"
        "    if name == '3DES': out = des(k[16:24], des(k[8:16], des(k[0:8], p, True), False), True)\n"
        "    elif name == 'single-DES': out = des(k[0:8], p, True)\n"
        "    else:\n"
        "        e = Cipher(algorithms.Blowfish(k), modes.CBC(bytes(8))).encryptor()\n"
        "        out = swap(e.update(swap(p)) + e.finalize())\n"
        "    print(out.hex())\n",
        input);
    EXPECT_EQ(Lines(out), got);
}

// The transport may hand over the IV before the key.
TEST(CryptoCipher, IvSetBeforeKeyIsKept) {
    std::mt19937 rng(38);
    for (const SshCipher* c : {&kCipherAes128, &kCipherBlowfish, &kCipher3Des, &kCipherDes}) {
        Bytes key = RandomBytes(rng, CipherKeyBytes(*c)), iv = RandomBytes(rng, c->block_size);
        Bytes plain = RandomBytes(rng, 4 * c->block_size);
        Bytes want = ThroughRecord(*c, key, iv, plain, plain.size()).encrypted;
        void* ctx = c->create();
        c->set_iv(ctx, iv.data());
        c->set_key(ctx, key.data());
        Bytes data = plain;
        ASSERT_TRUE(c->encrypt(ctx, data.data(), data.size()));
        EXPECT_EQ(data, want) << c->name;
        c->free(ctx);
    }
}

TEST(CryptoCipher, PartialBlocksAreRefusedUntouched) {
    Bytes key(32, 7), iv(16, 0), data(20, 0x55);
    void* ctx = kCipherAes256.create();
    kCipherAes256.set_key(ctx, key.data());
    kCipherAes256.set_iv(ctx, iv.data());
    EXPECT_FALSE(kCipherAes256.encrypt(ctx, data.data(), data.size()));
    EXPECT_FALSE(kCipherAes256.decrypt(ctx, data.data(), 15));
    EXPECT_EQ(data, Bytes(20, 0x55));
    kCipherAes256.free(ctx);
    Blowfish bf;
    EXPECT_FALSE(BlowfishSetKey(bf, key.data(), 0));
    EXPECT_FALSE(BlowfishSetKey(bf, key.data(), 57));
    Aes aes;
    EXPECT_FALSE(AesSetKey(aes, key.data(), 20));
}

TEST(CryptoCipher, RecordsByName) {
    struct Row {
        const char* name;
        size_t block;
        unsigned bits;
        const char* display;
    } rows[] = {{"aes256-cbc", 16, 256, "AES-256"},        {"rijndael256-cbc", 16, 256, "AES-256"},
                {"rijndael-cbc@lysator.liu.se", 16, 256, "AES-256"}, {"aes192-cbc", 16, 192, "AES-192"},
                {"rijndael192-cbc", 16, 192, "AES-192"},   {"aes128-cbc", 16, 128, "AES-128"},
                {"rijndael128-cbc", 16, 128, "AES-128"},   {"blowfish-cbc", 8, 128, "Blowfish"},
                {"3des-cbc", 8, 168, "triple-DES"},        {"des-cbc", 8, 56, "single-DES"}};
    for (const Row& row : rows) {
        const SshCipher* c = FindCipher(row.name);
        ASSERT_NE(c, nullptr) << row.name;
        EXPECT_STREQ(c->name, row.name);
        EXPECT_EQ(c->block_size, row.block);
        EXPECT_EQ(c->key_bits, row.bits);
        EXPECT_STREQ(c->display_name, row.display);
    }
    EXPECT_EQ(FindCipher("aes256-ctr"), nullptr);
    EXPECT_EQ(FindCipher(""), nullptr);
}

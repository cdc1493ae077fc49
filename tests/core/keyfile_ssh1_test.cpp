// The SSH-1 binary key format, read from files written by an independent
// writer (tests/data/keys/make_keys.py) and from altered copies of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ssh/keyfile.h"
#include "tests/core/keyfile_test_support.h"

using namespace vorto::ssh;
using namespace keyfile_test;
using vorto::crypto::BnToHex;

namespace {

const char kPassphrase[] = "correct-horse-battery";
// Text, NUL, cipher type, four reserved bytes.
const size_t kCipherTypeAt = 33;

KeyLoadResult Parse(const std::string& file, const char* passphrase, Ssh1Key* out = nullptr) {
    Ssh1Key key;
    KeyLoadResult result = ParseSsh1Key(BytesOf(file), passphrase, key);
    if (out) *out = std::move(key);
    return result;
}

std::string ErrorOf(const std::string& file, const char* passphrase = nullptr) {
    KeyLoadResult result = Parse(file, passphrase);
    return result.error ? result.error : "(loaded)";
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
    std::string path = testing::TempDir() + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST(KeyFileSsh1, LoadsClearAndEncryptedFilesWithTheWritersNumbers) {
    for (const char* name : {"ssh1_clear.key", "ssh1_3des.key"}) {
        SCOPED_TRACE(name);
        auto facts = Facts(name);
        ASSERT_FALSE(facts["n"].empty());
        const char* passphrase = facts.count("passphrase") ? facts["passphrase"].c_str() : nullptr;
        Ssh1Key key;
        KeyLoadResult result = LoadSsh1KeyFile(KeyPath(name).c_str(), passphrase, key);
        ASSERT_EQ(result.status, kKeyLoaded) << result.error;
        EXPECT_EQ(BnToHex(key.key.modulus), facts["n"]);
        EXPECT_EQ(BnToHex(key.key.exponent), facts["e"]);
        EXPECT_EQ(BnToHex(key.key.private_exponent), facts["d"]);
        EXPECT_TRUE(vorto::crypto::RsaCheckPrivate(key.key));
        EXPECT_EQ(key.comment, passphrase ? "ssh1 secret key" : "ssh1 clear key");

        // The loaded key works: a private operation undone by the public one.
        vorto::crypto::Bignum message = vorto::crypto::BnFromUint(0x1234567890abcdefull), signed_value, back;
        ASSERT_TRUE(vorto::crypto::RsaPrivateOp(key.key, message, signed_value));
        ASSERT_TRUE(vorto::crypto::RsaPublicOp(key.key, signed_value, back));
        EXPECT_EQ(BnToHex(back), "1234567890abcdef");
    }
}

TEST(KeyFileSsh1, PublicPartReadsWithoutPassphrase) {
    auto facts = Facts("ssh1_3des.key");
    Ssh1PublicKey part;
    KeyLoadResult result = ReadSsh1PublicKeyFile(KeyPath("ssh1_3des.key").c_str(), part);
    ASSERT_EQ(result.status, kKeyLoaded) << result.error;
    EXPECT_TRUE(part.encrypted);
    EXPECT_EQ(std::to_string(part.bits), facts["bits"]);
    EXPECT_EQ(BnToHex(part.key.modulus), facts["n"]);
    EXPECT_EQ(BnToHex(part.key.exponent), facts["e"]);
    EXPECT_EQ(part.comment, "ssh1 secret key");
    EXPECT_TRUE(part.key.private_exponent.words.empty());

    ASSERT_EQ(ReadSsh1PublicKeyFile(KeyPath("ssh1_clear.key").c_str(), part).status, kKeyLoaded);
    EXPECT_FALSE(part.encrypted);
}

TEST(KeyFileSsh1, WrongPassphraseAndDamageAreTold) {
    std::string encrypted = ReadText("ssh1_3des.key");
    for (const char* wrong : {"", "correct-horse-batterY"}) {
        KeyLoadResult result = Parse(encrypted, wrong);
        EXPECT_EQ(result.status, kKeyWrongPassphrase) << wrong;
        EXPECT_STREQ(result.error, "wrong passphrase");
    }
    EXPECT_EQ(Parse(encrypted, nullptr).status, kKeyWrongPassphrase);
    EXPECT_EQ(ErrorOf(encrypted, kPassphrase), "(loaded)");

    // In a clear file, unequal check bytes mean damage: no passphrase can help.
    std::string clear = ReadText("ssh1_clear.key");
    size_t check_at = clear.find("ssh1 clear key") + 14;
    std::string damaged = clear;
    damaged[check_at] ^= 1;
    KeyLoadResult result = Parse(damaged, nullptr);
    EXPECT_EQ(result.status, kKeyLoadFailed);
    EXPECT_STREQ(result.error, "file format error");

    // The halves of two keys do not make a key.
    Ssh1Key key;
    EXPECT_STREQ(LoadSsh1KeyFile(KeyPath("ssh1_mismatch.key").c_str(), nullptr, key).error, "rsa_verify failed");
    std::string flipped = clear;
    flipped[check_at - 14 - 5] ^= 0x10;  // a byte of the modulus
    EXPECT_EQ(ErrorOf(flipped), "rsa_verify failed");
}

TEST(KeyFileSsh1, HeaderCipherTypeAndSize) {
    std::string clear = ReadText("ssh1_clear.key");
    ASSERT_EQ(clear[kCipherTypeAt], 0);
    EXPECT_EQ(ErrorOf(ReplaceOnce(clear, "FORMAT 1.1", "FORMAT 1.2")), "not an SSH-1 RSA file");
    EXPECT_EQ(ErrorOf(""), "not an SSH-1 RSA file");
    EXPECT_EQ(ErrorOf(clear.substr(0, kCipherTypeAt)), "file format error");
    for (int type : {1, 2, 4, 255}) {
        std::string other = clear;
        other[kCipherTypeAt] = char(type);
        EXPECT_EQ(ErrorOf(other), "file format error") << int(type);
    }

    // Shorter than 16384 bytes: trailing bytes after the numbers are ignored.
    std::string longest = clear + std::string(kSsh1KeyFileLimit - 1 - clear.size(), 'x');
    Ssh1Key key;
    EXPECT_EQ(LoadSsh1KeyFile(WriteTemp("ssh1_longest.key", longest).c_str(), nullptr, key).status, kKeyLoaded);
    std::string path = WriteTemp("ssh1_too_long.key", longest + "x");
    EXPECT_STREQ(LoadSsh1KeyFile(path.c_str(), nullptr, key).error, "error reading file");
    Ssh1PublicKey part;
    EXPECT_STREQ(ReadSsh1PublicKeyFile(path.c_str(), part).error, "error reading file");
    EXPECT_EQ(ErrorOf(longest + "x"), "error reading file");
    EXPECT_STREQ(LoadSsh1KeyFile(KeyPath("missing.key").c_str(), nullptr, key).error, "can't open file");
    EXPECT_STREQ(LoadSsh1KeyFile(KeyPath("rsa_none.key").c_str(), nullptr, key).error, "not an SSH-1 RSA file");
}

TEST(KeyFileSsh1, EveryTruncationFailsCleanly) {
    // Encrypted tails that stop inside a cipher block must not be decrypted
    // beyond the file's bytes.
    for (const char* name : {"ssh1_clear.key", "ssh1_3des.key"}) {
        std::string file = ReadText(name);
        for (size_t length = 0; length < file.size(); ++length) {
            KeyLoadResult result = Parse(file.substr(0, length), kPassphrase);
            // The encrypted file's last block is padding only.
            if (result.status == kKeyLoaded) {
                EXPECT_GT(length + 8, file.size()) << name << " " << length;
            }
        }
    }
}

// Our own SSH-2 key format, read from files written by an independent
// writer (tests/data/keys/make_keys.py) and from altered copies of them.
#include <gtest/gtest.h>

#include <string>

#include "ssh/crypto/wire.h"
#include "ssh/keyfile.h"
#include "tests/core/keyfile_test_support.h"

using namespace vorto::ssh;
using namespace keyfile_test;

namespace {

const char kPassphrase[] = "correct-horse-battery";

KeyLoadResult ParseText(const std::string& text, const char* passphrase, Ssh2Key* out = nullptr) {
    Ssh2Key key;
    KeyLoadResult result = ParseSsh2Key(BytesOf(text), passphrase, key);
    if (out) *out = std::move(key);
    return result;
}

std::string ErrorOf(const std::string& text, const char* passphrase = nullptr) {
    KeyLoadResult result = ParseText(text, passphrase);
    return result.error ? result.error : "(loaded)";
}

// The inner signature of an "ssh-rsa" signature blob.
std::string InnerSignatureHex(const std::vector<uint8_t>& blob) {
    vorto::crypto::WireReader r = vorto::crypto::WireReaderOf(blob);
    std::span<const uint8_t> name, signature;
    if (!vorto::crypto::WireGetString(r, name) || !vorto::crypto::WireGetString(r, signature)) return "(bad blob)";
    return Hex({signature.begin(), signature.end()});
}

struct ValidFile {
    const char* name;
    const char* algorithm;
    const char* comment;
    bool old_format;
};

const ValidFile kValidFiles[] = {
    {"rsa_none.key", "ssh-rsa", "rsa test key", false},
    {"rsa_aes.key", "ssh-rsa", "rsa test key", false},
    {"dsa_none.key", "ssh-dss", "dsa test key", false},
    {"dsa_aes.key", "ssh-dss", "dsa test key", false},
    {"rsa_rev1_mac.key", "ssh-rsa", "old rsa key", true},
    {"rsa_rev1_hash.key", "ssh-rsa", "old rsa key", true},
    {"dsa_rev1_mac.key", "ssh-dss", "old dsa key", true},
};

}  // namespace

TEST(KeyFileSsh2, LoadsEveryWrittenFileWithTheWritersNumbers) {
    for (const ValidFile& file : kValidFiles) {
        SCOPED_TRACE(file.name);
        auto facts = Facts(file.name);
        ASSERT_FALSE(facts["public"].empty());
        const char* passphrase = facts.count("passphrase") ? facts["passphrase"].c_str() : nullptr;

        Ssh2Key key;
        KeyLoadResult result = LoadSsh2KeyFile(KeyPath(file.name).c_str(), passphrase, key);
        ASSERT_EQ(result.status, kKeyLoaded) << result.error;
        EXPECT_EQ(result.error, nullptr);
        ASSERT_NE(key.key, nullptr);
        EXPECT_STREQ(key.algorithm->name, file.algorithm);
        EXPECT_EQ(key.comment, file.comment);
        EXPECT_EQ(key.old_format, file.old_format);
        EXPECT_EQ(Hex(key.algorithm->public_blob(key.key)), facts["public"]);
        EXPECT_EQ(Hex(key.algorithm->private_blob(key.key)), facts["private"]);
        if (facts.count("signature")) {
            // PKCS #1 v1.5 signatures are deterministic: the writer's library
            // made the same one with the same key.
            std::string message = "vorto key file test message";
            std::vector<uint8_t> signature;
            ASSERT_TRUE(key.algorithm->sign(key.key, BytesOf(message), 0, signature));
            EXPECT_EQ(InnerSignatureHex(signature), facts["signature"]);
        }
    }
}

TEST(KeyFileSsh2, PublicPartAndEncryptionReadWithoutPassphrase) {
    Ssh2PublicKey part;
    KeyLoadResult result = ReadSsh2PublicKeyFile(KeyPath("rsa_aes.key").c_str(), part);
    ASSERT_EQ(result.status, kKeyLoaded) << result.error;
    EXPECT_EQ(part.algorithm, "ssh-rsa");
    EXPECT_EQ(part.comment, "rsa test key");
    EXPECT_TRUE(part.encrypted);
    EXPECT_EQ(Hex(part.blob), Facts("rsa_aes.key")["public"]);

    std::string comment;
    EXPECT_TRUE(Ssh2KeyFileIsEncrypted(KeyPath("dsa_aes.key").c_str(), &comment));
    EXPECT_EQ(comment, "dsa test key");
    EXPECT_FALSE(Ssh2KeyFileIsEncrypted(KeyPath("dsa_none.key").c_str(), &comment));
    EXPECT_FALSE(Ssh2KeyFileIsEncrypted(KeyPath("ssh1_3des.key").c_str(), nullptr));
    EXPECT_FALSE(Ssh2KeyFileIsEncrypted(KeyPath("no such file").c_str(), nullptr));

    // A damaged private half does not stop the public one from reading.
    std::string text = ReadText("rsa_none.key");
    text = text.substr(0, text.find("Private-Lines"));
    Ssh2PublicKey cut;
    EXPECT_EQ(ParseSsh2PublicKey(BytesOf(text), cut).status, kKeyLoaded);
    EXPECT_EQ(Hex(cut.blob), Facts("rsa_none.key")["public"]);
}

TEST(KeyFileSsh2, TamperingAndWrongPassphrasesAreTold) {
    std::string clear = ReadText("rsa_none.key");
    std::string encrypted = ReadText("rsa_aes.key");

    // The check value covers the comment.
    EXPECT_EQ(ErrorOf(ReplaceOnce(clear, "Comment: rsa test key", "Comment: rsa test kez")), "MAC failed");
    EXPECT_EQ(ErrorOf(ReplaceOnce(clear, "Comment: rsa test key", "Comment: rsa test key ")), "MAC failed");
    // In an encrypted file any mismatch reads as a wrong passphrase.
    KeyLoadResult changed = ParseText(ReplaceOnce(encrypted, "rsa test key", "rsa test kez"), kPassphrase);
    EXPECT_EQ(changed.status, kKeyWrongPassphrase);

    for (const char* wrong : {"", "correct-horse-batterY", "correct-horse-battery "}) {
        KeyLoadResult result = ParseText(encrypted, wrong);
        EXPECT_EQ(result.status, kKeyWrongPassphrase) << wrong;
        EXPECT_STREQ(result.error, "wrong passphrase");
    }
    Ssh2Key key;
    EXPECT_EQ(LoadSsh2KeyFile(KeyPath("rsa_rev1_mac.key").c_str(), "nope", key).status, kKeyWrongPassphrase);
    EXPECT_EQ(key.key, nullptr);

    // The value is compared as lowercase hex digits.
    size_t mac = clear.find("Private-MAC: ") + 13;
    std::string upper = clear;
    for (size_t i = mac; i < mac + 40; ++i) upper[i] = char(toupper(upper[i]));
    EXPECT_EQ(ErrorOf(upper), upper == clear ? "(loaded)" : "MAC failed");
    EXPECT_EQ(ErrorOf(clear.substr(0, mac + 39) + "\n"), "MAC failed");

    // An unencrypted file ignores a passphrase it is given.
    EXPECT_EQ(ErrorOf(clear, "anything"), "(loaded)");
}

TEST(KeyFileSsh2, MismatchedHalvesAndWeakChecksAreRefused) {
    Ssh2Key key;
    KeyLoadResult result = LoadSsh2KeyFile(KeyPath("rsa_mismatch.key").c_str(), nullptr, key);
    EXPECT_STREQ(result.error, "createkey failed");
    EXPECT_EQ(key.key, nullptr);

    // The bare hash stands only in revision 1 RSA files.
    result = LoadSsh2KeyFile(KeyPath("dsa_rev1_hash.key").c_str(), nullptr, key);
    EXPECT_STREQ(result.error, "file format error");
    std::string current = ReadText("rsa_none.key");
    EXPECT_EQ(ErrorOf(ReplaceOnce(current, "Private-MAC:", "Private-Hash:")), "file format error");
}

TEST(KeyFileSsh2, LineGrammar) {
    std::string text = ReadText("dsa_none.key");
    ASSERT_EQ(ErrorOf(text), "(loaded)");

    auto with_endings = [&](const std::string& ending) {
        std::string out;
        for (char c : text) out += c == '\n' ? ending : std::string(1, c);
        return out;
    };
    EXPECT_EQ(ErrorOf(with_endings("\r\n")), "(loaded)");
    EXPECT_EQ(ErrorOf(with_endings("\n\r")), "(loaded)");
    EXPECT_EQ(ErrorOf(text.substr(0, text.size() - 1)), "(loaded)");  // no final line end

    // Base64 lines: a multiple of four characters, at most 64.
    size_t first = text.find("Public-Lines: ");
    first = text.find('\n', first) + 1;
    size_t end = text.find('\n', first);
    ASSERT_EQ(end - first, 64u);
    std::string long_line = text;
    long_line.insert(end, "AAAA");
    EXPECT_EQ(ErrorOf(long_line), "file format error");
    std::string odd_line = text;
    odd_line.insert(end, "AA");
    EXPECT_EQ(ErrorOf(odd_line), "file format error");
    std::string bad_char = text;
    bad_char[first + 10] = '*';
    EXPECT_EQ(ErrorOf(bad_char), "file format error");
    std::string early_pad = text;
    early_pad[first + 9] = '=';
    EXPECT_EQ(ErrorOf(early_pad), "file format error");

    // Header names: at most 39 characters, then a colon and one blank.
    EXPECT_EQ(ErrorOf(ReplaceOnce(text, "Comment: ", "Comment:")), "file format error");
    EXPECT_EQ(ErrorOf(ReplaceOnce(text, "Comment: ", "Comment  : ")), "file format error");
    EXPECT_EQ(ErrorOf(std::string(40, 'X') + ": y\n" + text), "not a PuTTY SSH-2 private key");
}

TEST(KeyFileSsh2, HeadersInOrderWithKnownValues) {
    std::string text = ReadText("rsa_none.key");
    EXPECT_EQ(ErrorOf(""), "not a PuTTY SSH-2 private key");
    EXPECT_EQ(ErrorOf(ReplaceOnce(text, "PuTTY-User-Key-File-2", "PuTTY-User-Key-File-3")),
              "not a PuTTY SSH-2 private key");
    EXPECT_EQ(ErrorOf(ReplaceOnce(text, ": ssh-rsa", ": ssh-ed25519")), "file format error");
    EXPECT_EQ(ErrorOf(ReplaceOnce(text, "Encryption: none", "Encryption: aes128-cbc")), "file format error");

    // Swap the Encryption and Comment lines.
    std::string swapped = ReplaceOnce(text, "Encryption: none\nComment: rsa test key\n",
                                      "Comment: rsa test key\nEncryption: none\n");
    EXPECT_EQ(ErrorOf(swapped), "file format error");
    EXPECT_EQ(ErrorOf(text.substr(0, text.find("Private-MAC"))), "file format error");
    EXPECT_EQ(ErrorOf(text.substr(0, text.find("Private-Lines"))), "file format error");

    // Revision 2 has no bare hash, whatever the file says about itself.
    std::string old = ReplaceOnce(ReadText("rsa_rev1_hash.key"), "File-1", "File-2");
    EXPECT_EQ(ErrorOf(old), "file format error");
}

TEST(KeyFileSsh2, HostileCountsAndLengths) {
    std::string text = ReadText("rsa_none.key");
    for (const char* count : {"99999999999999999999999999", "18446744073709551616", "4294967297", "5", "-4", "+4", " 4",
                              "4 ", "", "0x4"}) {
        EXPECT_EQ(ErrorOf(ReplaceOnce(text, "Public-Lines: 4", std::string("Public-Lines: ") + count)),
                  "file format error")
            << count;
    }
    EXPECT_EQ(ErrorOf(ReplaceOnce(text, "Private-Lines: 8", "Private-Lines: 1000000")), "file format error");

    // An encrypted private blob must be whole AES blocks, and needs a passphrase.
    std::string encrypted = ReadText("rsa_aes.key");
    size_t lines = encrypted.find("Private-Lines: ");
    size_t mac = encrypted.find("Private-MAC: ");
    std::string short_blob = encrypted.substr(0, lines) + "Private-Lines: 1\nAAAA\n" + encrypted.substr(mac);
    EXPECT_EQ(ErrorOf(short_blob, kPassphrase), "file format error");
    EXPECT_EQ(ErrorOf(encrypted, nullptr), "file format error");
}

TEST(KeyFileSsh2, EveryTruncationFailsCleanly) {
    for (const char* name : {"rsa_none.key", "dsa_aes.key"}) {
        std::string text = ReadText(name);
        auto facts = Facts(name);
        const char* passphrase = facts.count("passphrase") ? facts["passphrase"].c_str() : nullptr;
        // Everything short of the last line's end misses check digits.
        for (size_t length = 0; length + 1 < text.size(); ++length) {
            Ssh2Key key;
            EXPECT_NE(ParseSsh2Key(BytesOf(text.substr(0, length)), passphrase, key).status, kKeyLoaded) << length;
        }
    }
}

TEST(KeyFileSsh2, FilesThatAreNotOurs) {
    Ssh2Key key;
    EXPECT_STREQ(LoadSsh2KeyFile(KeyPath("openssh_rsa.key").c_str(), nullptr, key).error,
                 "not a PuTTY SSH-2 private key");
    EXPECT_STREQ(LoadSsh2KeyFile(KeyPath("ssh1_clear.key").c_str(), nullptr, key).error,
                 "not a PuTTY SSH-2 private key");
    EXPECT_STREQ(LoadSsh2KeyFile(KeyPath("missing.key").c_str(), nullptr, key).error, "can't open file");
    Ssh2PublicKey part;
    EXPECT_STREQ(ReadSsh2PublicKeyFile(KeyPath("missing.key").c_str(), part).error, "can't open file");
    EXPECT_EQ(key.key, nullptr);
}

// Our own SSH-2 key format: header lines in a fixed order, the public and
// private blobs in base64, the private one optionally under AES-256-CBC,
// and a check value over the file that detects both tampering and a wrong
// passphrase.
#include <cstring>
#include <string_view>

#include "ssh/crypto/aes.h"
#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/hmac.h"
#include "ssh/crypto/sha1.h"
#include "ssh/keyfile.h"
#include "ssh/keyfile_io.h"
#include "ssh/keyfile_lines.h"

namespace vorto::ssh {

namespace {

using crypto::kSha1Length;

constexpr std::string_view kRevision2Header = "PuTTY-User-Key-File-2";
constexpr std::string_view kRevision1Header = "PuTTY-User-Key-File-1";
constexpr std::string_view kMacKeyText = "putty-private-key-file-mac-key";
constexpr size_t kCheckHexLength = 2 * kSha1Length;

struct Ssh2KeyText {
    bool old_format = false;
    std::string_view algorithm_name;
    const crypto::SshKeyAlgorithm* algorithm = nullptr;
    std::string_view encryption;
    bool encrypted = false;
    std::string_view comment;
    std::vector<uint8_t> public_blob;
    SecretBytes private_blob;
    bool plain_hash = false;  // "Private-Hash" instead of "Private-MAC"
    std::string_view check;
};

KeyLoadResult Failed(const char* error) {
    return {kKeyLoadFailed, error};
}

// The headers up to and including the public blob. Null or an error text.
const char* ReadPublicPart(KeyTextReader& r, Ssh2KeyText& text) {
    std::string_view name, value;
    if (!ReadHeader(r, name, value)) return kKeyErrorNotSsh2;
    if (name == kRevision1Header)
        text.old_format = true;
    else if (name != kRevision2Header)
        return kKeyErrorNotSsh2;
    text.algorithm_name = value;
    if (value != "ssh-rsa" && value != "ssh-dss") return kKeyErrorFormat;
    text.algorithm = crypto::FindKeyAlgorithm(value);
    if (!text.algorithm) return kKeyErrorFormat;

    if (!ReadNamedHeader(r, "Encryption", text.encryption)) return kKeyErrorFormat;
    if (text.encryption == "aes256-cbc")
        text.encrypted = true;
    else if (text.encryption != "none")
        return kKeyErrorFormat;

    if (!ReadNamedHeader(r, "Comment", text.comment)) return kKeyErrorFormat;
    if (!ReadNamedHeader(r, "Public-Lines", value) || !ReadBase64Lines(r, value, text.public_blob))
        return kKeyErrorFormat;
    return nullptr;
}

const char* ReadPrivatePart(KeyTextReader& r, Ssh2KeyText& text) {
    std::string_view name, value;
    if (!ReadNamedHeader(r, "Private-Lines", value) || !ReadBase64Lines(r, value, text.private_blob.bytes))
        return kKeyErrorFormat;
    if (!ReadHeader(r, name, text.check)) return kKeyErrorFormat;
    // Revision 1 RSA files may carry a bare hash of the private blob.
    if (name == "Private-Hash" && text.old_format && text.algorithm_name == "ssh-rsa")
        text.plain_hash = true;
    else if (name != "Private-MAC")
        return kKeyErrorFormat;
    return nullptr;
}

// The AES key is SHA-1(0,0,0,0, passphrase) || SHA-1(0,0,0,1, passphrase)
// cut to 32 bytes; the IV is zero.
void DecryptPrivateBlob(std::vector<uint8_t>& blob, std::string_view passphrase) {
    uint8_t key[2 * kSha1Length];
    for (uint8_t counter = 0; counter < 2; ++counter) {
        const uint8_t prefix[4] = {0, 0, 0, counter};
        crypto::Sha1 hash;
        crypto::Sha1Start(hash);
        crypto::Sha1Add(hash, prefix, sizeof prefix);
        crypto::Sha1Add(hash, passphrase.data(), passphrase.size());
        crypto::Sha1Finish(hash, key + counter * kSha1Length);
    }
    crypto::Aes aes;
    crypto::AesSetKey(aes, key, 32);
    crypto::AesCbcDecrypt(aes, blob.data(), blob.size());
    crypto::Wipe(&aes, sizeof aes);
    crypto::Wipe(key, sizeof key);
}

void AddString(crypto::Sha1& hash, const void* data, size_t length) {
    uint8_t prefix[4];
    crypto::StoreBe32(prefix, uint32_t(length));
    crypto::Sha1Add(hash, prefix, sizeof prefix);
    crypto::Sha1Add(hash, data, length);
}

void AddString(crypto::Sha1& hash, std::string_view text) {
    AddString(hash, text.data(), text.size());
}

// The check value the file should carry, as 40 lowercase hex digits.
void ComputeCheck(const Ssh2KeyText& text, std::string_view passphrase, char hex[kCheckHexLength]) {
    const std::vector<uint8_t>& secret = text.private_blob.bytes;
    uint8_t digest[kSha1Length];
    if (text.plain_hash) {
        crypto::Sha1Once(secret.data(), secret.size(), digest);
    } else {
        // Keyed by SHA-1 of a fixed text and, for encrypted files, the passphrase.
        uint8_t mac_key[kSha1Length];
        crypto::Sha1 hash;
        crypto::Sha1Start(hash);
        crypto::Sha1Add(hash, kMacKeyText.data(), kMacKeyText.size());
        if (text.encrypted) crypto::Sha1Add(hash, passphrase.data(), passphrase.size());
        crypto::Sha1Finish(hash, mac_key);
        crypto::HmacSha1 keyed;
        crypto::HmacSha1SetKey(keyed, mac_key, sizeof mac_key);
        crypto::Wipe(mac_key, sizeof mac_key);
        crypto::HmacSha1Begin(keyed, hash);
        if (text.old_format) {
            // Revision 1 covers the private blob alone.
            crypto::Sha1Add(hash, secret.data(), secret.size());
        } else {
            AddString(hash, text.algorithm_name);
            AddString(hash, text.encryption);
            AddString(hash, text.comment);
            AddString(hash, text.public_blob.data(), text.public_blob.size());
            AddString(hash, secret.data(), secret.size());
        }
        crypto::HmacSha1End(keyed, hash, digest);
        crypto::Wipe(&keyed, sizeof keyed);
    }
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < kSha1Length; ++i) {
        hex[2 * i] = kDigits[digest[i] >> 4];
        hex[2 * i + 1] = kDigits[digest[i] & 15];
    }
}

bool CheckMatches(const Ssh2KeyText& text, std::string_view passphrase) {
    char expected[kCheckHexLength];
    ComputeCheck(text, passphrase, expected);
    // Lengths are public; the digits are compared without an early exit.
    return text.check.size() == kCheckHexLength &&
           crypto::EqualConstantTime(reinterpret_cast<const uint8_t*>(expected),
                                     reinterpret_cast<const uint8_t*>(text.check.data()), kCheckHexLength);
}

KeyLoadResult ResultOfRead(KeyFileRead read) {
    switch (read) {
        case KeyFileRead::kRead: return {kKeyLoaded, nullptr};
        case KeyFileRead::kCannotOpen: return Failed(kKeyErrorCantOpen);
        case KeyFileRead::kTooLarge: return Failed(kKeyErrorFormat);
        case KeyFileRead::kFailed: break;
    }
    return Failed(kKeyErrorCantOpen);
}

}  // namespace

KeyLoadResult ParseSsh2Key(std::span<const uint8_t> file, const char* passphrase, Ssh2Key& key) {
    KeyTextReader r = KeyTextReaderOf(file);
    Ssh2KeyText text;
    if (const char* error = ReadPublicPart(r, text)) return Failed(error);
    if (const char* error = ReadPrivatePart(r, text)) return Failed(error);

    std::string_view pass = passphrase ? std::string_view(passphrase) : std::string_view();
    if (text.encrypted) {
        std::vector<uint8_t>& secret = text.private_blob.bytes;
        if (!passphrase || secret.size() % crypto::kAesBlock != 0) return Failed(kKeyErrorFormat);
        DecryptPrivateBlob(secret, pass);
    }
    if (!CheckMatches(text, pass)) {
        if (text.encrypted) return {kKeyWrongPassphrase, kKeyErrorWrongPassphrase};
        return Failed(kKeyErrorMacFailed);
    }

    void* made = text.algorithm->from_blobs(text.public_blob, text.private_blob.bytes);
    if (!made) return Failed(kKeyErrorCreateKey);
    Ssh2Key loaded;
    loaded.algorithm = text.algorithm;
    loaded.key = made;
    loaded.comment = std::string(text.comment);
    loaded.old_format = text.old_format;
    key = std::move(loaded);
    return {kKeyLoaded, nullptr};
}

KeyLoadResult LoadSsh2KeyFile(const char* path, const char* passphrase, Ssh2Key& key) {
    SecretBytes file;
    KeyLoadResult read = ResultOfRead(ReadKeyFileBytes(path, kMaxSsh2KeyFileBytes, file));
    if (read.status != kKeyLoaded) return read;
    return ParseSsh2Key(file.bytes, passphrase, key);
}

KeyLoadResult ParseSsh2PublicKey(std::span<const uint8_t> file, Ssh2PublicKey& out) {
    KeyTextReader r = KeyTextReaderOf(file);
    Ssh2KeyText text;
    if (const char* error = ReadPublicPart(r, text)) return Failed(error);
    out.algorithm = std::string(text.algorithm_name);
    out.comment = std::string(text.comment);
    out.blob = std::move(text.public_blob);
    out.encrypted = text.encrypted;
    out.old_format = text.old_format;
    return {kKeyLoaded, nullptr};
}

KeyLoadResult ReadSsh2PublicKeyFile(const char* path, Ssh2PublicKey& out) {
    SecretBytes file;
    KeyLoadResult read = ResultOfRead(ReadKeyFileBytes(path, kMaxSsh2KeyFileBytes, file));
    if (read.status != kKeyLoaded) return read;
    return ParseSsh2PublicKey(file.bytes, out);
}

bool Ssh2KeyFileIsEncrypted(const char* path, std::string* comment) {
    Ssh2PublicKey part;
    if (ReadSsh2PublicKeyFile(path, part).status != kKeyLoaded) return false;
    if (comment) *comment = std::move(part.comment);
    return part.encrypted;
}

}  // namespace vorto::ssh

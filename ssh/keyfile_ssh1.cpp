// The SSH-1 binary key format: a fixed text, the cipher type, the public
// key and comment in the clear, then check bytes and the private numbers,
// encrypted with the SSH-1 triple DES when the cipher type says so.
#include <cstring>
#include <string_view>

#include "ssh/crypto/des.h"
#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/md5.h"
#include "ssh/crypto/wire.h"
#include "ssh/keyfile.h"
#include "ssh/keyfile_io.h"

namespace vorto::ssh {

namespace {

constexpr std::string_view kSsh1Header = "SSH PRIVATE KEY FILE FORMAT 1.1\n";
constexpr uint8_t kCipherNone = 0;
constexpr uint8_t kCipherTripleDes = 3;
// A NUL ending the text, the cipher type and four reserved bytes.
constexpr size_t kFixedAfterHeader = 6;

KeyLoadResult Failed(const char* error) {
    return {kKeyLoadFailed, error};
}

// Everything before the private part. `rest` is what follows the comment.
KeyLoadResult ParsePublicPart(std::span<const uint8_t> file, Ssh1PublicKey& out, std::span<const uint8_t>& rest) {
    if (file.size() >= kSsh1KeyFileLimit) return Failed(kKeyErrorReading);
    if (file.size() < kSsh1Header.size() ||
        std::memcmp(file.data(), kSsh1Header.data(), kSsh1Header.size()) != 0)
        return Failed(kKeyErrorNotSsh1);
    file = file.subspan(kSsh1Header.size());
    if (file.size() < kFixedAfterHeader) return Failed(kKeyErrorFormat);
    uint8_t cipher = file[1];
    if (cipher != kCipherNone && cipher != kCipherTripleDes) return Failed(kKeyErrorFormat);

    Ssh1PublicKey part;
    part.encrypted = cipher == kCipherTripleDes;
    crypto::WireReader r = crypto::WireReaderOf(file.subspan(kFixedAfterHeader));
    std::span<const uint8_t> comment;
    if (!crypto::WireGetU32(r, part.bits) || !crypto::WireGetSsh1Bignum(r, part.key.exponent) ||
        !crypto::WireGetSsh1Bignum(r, part.key.modulus) || !crypto::WireGetString(r, comment))
        return Failed(kKeyErrorFormat);
    if (crypto::BnBitCount(part.key.modulus) > crypto::kMaxModulusBits) return Failed(kKeyErrorFormat);
    part.comment.assign(comment.begin(), comment.end());
    rest = {r.data, r.left};
    out = std::move(part);
    return {kKeyLoaded, nullptr};
}

// The triple DES key is the MD5 of the passphrase, its first half used again
// as the third DES key.
void DecryptPrivatePart(std::vector<uint8_t>& data, std::string_view passphrase) {
    uint8_t key[24];
    crypto::Md5Once(passphrase.data(), passphrase.size(), key);
    std::memcpy(key + 16, key, 8);
    crypto::TripleDesSsh1 cipher;
    crypto::TripleDesSsh1SetKey(cipher, key);
    crypto::TripleDesSsh1Decrypt(cipher, data.data(), data.size());
    crypto::Wipe(&cipher, sizeof cipher);
    crypto::Wipe(key, sizeof key);
}

// The file keeps u = P^-1 mod Q with the primes in the order P, Q; our key
// record wants iqmp = q^-1 mod p, so P becomes q. Files that hold the primes
// the other way round are accepted too.
bool AssembleKey(crypto::RsaKey& key) {
    if (crypto::RsaCheckPrivate(key)) return true;
    std::swap(key.p, key.q);
    return crypto::RsaCheckPrivate(key);
}

// Wipes the private numbers of a key that is not handed on.
struct PrivateNumbersWipe {
    crypto::RsaKey& key;
    ~PrivateNumbersWipe() {
        for (crypto::Bignum* n : {&key.private_exponent, &key.p, &key.q, &key.iqmp})
            crypto::Wipe(n->words.data(), n->words.size() * sizeof(uint32_t));
    }
};

KeyLoadResult ReadSsh1(const char* path, SecretBytes& file) {
    switch (ReadKeyFileBytes(path, kSsh1KeyFileLimit - 1, file)) {
        case KeyFileRead::kRead: return {kKeyLoaded, nullptr};
        case KeyFileRead::kCannotOpen: return Failed(kKeyErrorCantOpen);
        case KeyFileRead::kTooLarge:
        case KeyFileRead::kFailed: break;
    }
    return Failed(kKeyErrorReading);
}

}  // namespace

KeyLoadResult ParseSsh1PublicKey(std::span<const uint8_t> file, Ssh1PublicKey& out) {
    std::span<const uint8_t> rest;
    return ParsePublicPart(file, out, rest);
}

KeyLoadResult ParseSsh1Key(std::span<const uint8_t> file, const char* passphrase, Ssh1Key& key) {
    Ssh1PublicKey part;
    std::span<const uint8_t> rest;
    KeyLoadResult result = ParsePublicPart(file, part, rest);
    if (result.status != kKeyLoaded) return result;

    // A private copy, rounded up to whole cipher blocks with zeros so that
    // a short last block is never decrypted beyond the file's bytes.
    SecretBytes secret;
    size_t length = rest.size();
    if (part.encrypted) length = (length + crypto::kDesBlock - 1) / crypto::kDesBlock * crypto::kDesBlock;
    secret.bytes.assign(length, 0);
    if (!rest.empty()) std::memcpy(secret.bytes.data(), rest.data(), rest.size());
    if (part.encrypted) DecryptPrivatePart(secret.bytes, passphrase ? passphrase : "");

    const std::vector<uint8_t>& plain = secret.bytes;
    if (plain.size() < 4) return Failed(kKeyErrorFormat);
    if (plain[0] != plain[2] || plain[1] != plain[3]) {
        // Only a passphrase can be wrong when there is one.
        if (part.encrypted) return {kKeyWrongPassphrase, kKeyErrorWrongPassphrase};
        return Failed(kKeyErrorFormat);
    }

    crypto::RsaKey assembled;
    PrivateNumbersWipe wipe{assembled};
    assembled.exponent = std::move(part.key.exponent);
    assembled.modulus = std::move(part.key.modulus);
    crypto::WireReader r = crypto::WireReaderOf(std::span<const uint8_t>(plain).subspan(4));
    if (!crypto::WireGetSsh1Bignum(r, assembled.private_exponent) || !crypto::WireGetSsh1Bignum(r, assembled.iqmp) ||
        !crypto::WireGetSsh1Bignum(r, assembled.q) || !crypto::WireGetSsh1Bignum(r, assembled.p))
        return Failed(kKeyErrorFormat);
    if (!AssembleKey(assembled)) return Failed(kKeyErrorRsaVerify);
    key.key = std::move(assembled);
    key.comment = std::move(part.comment);
    return {kKeyLoaded, nullptr};
}

KeyLoadResult ReadSsh1PublicKeyFile(const char* path, Ssh1PublicKey& out) {
    SecretBytes file;
    KeyLoadResult read = ReadSsh1(path, file);
    if (read.status != kKeyLoaded) return read;
    return ParseSsh1PublicKey(file.bytes, out);
}

KeyLoadResult LoadSsh1KeyFile(const char* path, const char* passphrase, Ssh1Key& key) {
    SecretBytes file;
    KeyLoadResult read = ReadSsh1(path, file);
    if (read.status != kKeyLoaded) return read;
    return ParseSsh1Key(file.bytes, passphrase, key);
}

}  // namespace vorto::ssh

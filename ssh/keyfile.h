// Private key files: recognising the formats by their first bytes, and
// reading our own SSH-2 text format ("PuTTY-User-Key-File-2" and the older
// revision 1) and the SSH-1 binary format. The OpenSSH and ssh.com formats
// are only named. Nothing here writes key files.
//
// Every reader comes in two forms: one that takes a path, and one that
// takes the file's bytes (for tests and fuzzing). Failures are results with
// one of the error texts below, never exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ssh/crypto/hostkey.h"
#include "ssh/crypto/rsa.h"

namespace vorto::ssh {

enum KeyFileType : int {
    kKeyFileCannotOpen = 0,
    kKeyFileUnknown = 1,
    kKeyFileSsh1 = 2,
    kKeyFileSsh2 = 3,  // our own text format
    kKeyFileOpenSsh = 4,
    kKeyFileSshCom = 5,
};

KeyFileType IdentifyKeyFile(const char* path);
// From the first bytes of a file that did open.
KeyFileType IdentifyKeyBytes(std::span<const uint8_t> start);
// "PuTTY SSH2 private key" and the like; "INTERNAL ERROR" for a value that
// names no type.
const char* KeyFileTypeDescription(int type);

// Error texts, shown to the user inside "Unable to load private key (...)".
inline constexpr char kKeyErrorCantOpen[] = "can't open file";
inline constexpr char kKeyErrorNotSsh2[] = "not a PuTTY SSH-2 private key";
inline constexpr char kKeyErrorFormat[] = "file format error";
inline constexpr char kKeyErrorWrongPassphrase[] = "wrong passphrase";
inline constexpr char kKeyErrorMacFailed[] = "MAC failed";
inline constexpr char kKeyErrorCreateKey[] = "createkey failed";
inline constexpr char kKeyErrorNotSsh1[] = "not an SSH-1 RSA file";
inline constexpr char kKeyErrorReading[] = "error reading file";
inline constexpr char kKeyErrorRsaVerify[] = "rsa_verify failed";

enum KeyLoadStatus : int {
    kKeyLoaded = 0,
    kKeyWrongPassphrase = 1,  // the caller may ask again
    kKeyLoadFailed = 2,
};

struct KeyLoadResult {
    KeyLoadStatus status = kKeyLoadFailed;
    const char* error = nullptr;  // null exactly when loaded
};

// Our own SSH-2 files are read whole; a larger file is a format error. Far
// beyond the text of the largest key the crypto layer accepts.
constexpr size_t kMaxSsh2KeyFileBytes = 1 << 20;
// SSH-1 files must be shorter than this.
constexpr size_t kSsh1KeyFileLimit = 16384;

// A loaded SSH-2 private key. Owns `key`, which belongs to `algorithm`.
struct Ssh2Key {
    const crypto::SshKeyAlgorithm* algorithm = nullptr;
    void* key = nullptr;
    std::string comment;
    // Revision 1 is not fully tamper-proof: the caller warns that the file
    // should be saved again in the current form.
    bool old_format = false;

    Ssh2Key() = default;
    Ssh2Key(const Ssh2Key&) = delete;
    Ssh2Key& operator=(const Ssh2Key&) = delete;
    Ssh2Key(Ssh2Key&& other) noexcept;
    Ssh2Key& operator=(Ssh2Key&& other) noexcept;
    ~Ssh2Key();
};

// What an SSH-2 key file tells without a passphrase.
struct Ssh2PublicKey {
    std::string algorithm;  // "ssh-rsa" or "ssh-dss"
    std::string comment;
    std::vector<uint8_t> blob;
    bool encrypted = false;
    bool old_format = false;
};

// `passphrase` may be null: an encrypted file then fails with a format error.
KeyLoadResult LoadSsh2KeyFile(const char* path, const char* passphrase, Ssh2Key& key);
KeyLoadResult ParseSsh2Key(std::span<const uint8_t> file, const char* passphrase, Ssh2Key& key);

KeyLoadResult ReadSsh2PublicKeyFile(const char* path, Ssh2PublicKey& out);
KeyLoadResult ParseSsh2PublicKey(std::span<const uint8_t> file, Ssh2PublicKey& out);

// Whether the file's Encryption is not "none"; false too when the file does
// not read. `comment` (may be null) receives the comment.
bool Ssh2KeyFileIsEncrypted(const char* path, std::string* comment);

// The public half of an SSH-1 key file, readable without a passphrase.
struct Ssh1PublicKey {
    uint32_t bits = 0;  // as the file states it
    crypto::RsaKey key;  // exponent and modulus only
    std::string comment;
    bool encrypted = false;
};

struct Ssh1Key {
    crypto::RsaKey key;  // with the private numbers, checked to belong together
    std::string comment;
};

KeyLoadResult ReadSsh1PublicKeyFile(const char* path, Ssh1PublicKey& out);
KeyLoadResult ParseSsh1PublicKey(std::span<const uint8_t> file, Ssh1PublicKey& out);

// A null `passphrase` counts as empty.
KeyLoadResult LoadSsh1KeyFile(const char* path, const char* passphrase, Ssh1Key& key);
KeyLoadResult ParseSsh1Key(std::span<const uint8_t> file, const char* passphrase, Ssh1Key& key);

}  // namespace vorto::ssh

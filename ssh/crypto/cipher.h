// The block ciphers of SSH-2 and SSH-1, each behind a record of operations
// that the transport picks by protocol name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorto::crypto {

struct SshCipher {
    void* (*create)();  // null when out of memory
    void (*free)(void* ctx);
    // The IV and the key may be set in either order.
    void (*set_iv)(void* ctx, const uint8_t* iv);    // block_size bytes
    void (*set_key)(void* ctx, const uint8_t* key);  // key_bits / 8 bytes (24 for triple DES)
    // In place, CBC chained across calls. False, with the data untouched,
    // when the length is not a whole number of blocks.
    bool (*encrypt)(void* ctx, uint8_t* data, size_t length);
    bool (*decrypt)(void* ctx, uint8_t* data, size_t length);
    const char* name;
    size_t block_size;
    unsigned key_bits;
    const char* display_name;
};

// Bytes of derived key that set_key reads (168-bit triple DES takes 24).
inline size_t CipherKeyBytes(const SshCipher& c) {
    return c.key_bits == 168 ? 24 : c.key_bits == 56 ? 8 : c.key_bits / 8;
}

extern const SshCipher kCipherAes256;
extern const SshCipher kCipherRijndael256;
extern const SshCipher kCipherRijndaelAlias;  // the name@domain alias of Rijndael-256 CBC
extern const SshCipher kCipherAes192;
extern const SshCipher kCipherRijndael192;
extern const SshCipher kCipherAes128;
extern const SshCipher kCipherRijndael128;
extern const SshCipher kCipherBlowfish;
extern const SshCipher kCipher3Des;
extern const SshCipher kCipherDes;

// By protocol name; null when unknown.
const SshCipher* FindCipher(std::string_view name);

// SSH-1 ciphers are keyed with the 32-byte session key: triple DES uses its
// first 24 bytes, single DES the first 8, Blowfish all 32. The chaining
// values start at zero.
constexpr size_t kSsh1SessionKeyLength = 32;

struct Ssh1Cipher {
    void* (*create)();
    void (*free)(void* ctx);
    void (*set_key)(void* ctx, const uint8_t session_key[kSsh1SessionKeyLength]);
    bool (*encrypt)(void* ctx, uint8_t* data, size_t length);
    bool (*decrypt)(void* ctx, uint8_t* data, size_t length);
    const char* name;
    size_t block_size;
    int protocol_number;  // the cipher number of the SSH-1 protocol
};

extern const Ssh1Cipher kSsh1Cipher3Des;
extern const Ssh1Cipher kSsh1CipherBlowfish;
extern const Ssh1Cipher kSsh1CipherDes;

}  // namespace vorto::crypto

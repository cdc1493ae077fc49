#include "ssh/crypto/cipher.h"

#include <cstring>
#include <new>

#include "ssh/crypto/aes.h"
#include "ssh/crypto/blowfish.h"
#include "ssh/crypto/des.h"
#include "ssh/crypto/hash_util.h"

namespace vorto::crypto {

namespace {


// Wraps an in-place whole-block operation with the length check.
template <typename T, size_t kBlock, void (*Op)(T&, uint8_t*, size_t)>
bool Run(void* ctx, uint8_t* data, size_t length) {
    if (length % kBlock != 0) return false;
    Op(*static_cast<T*>(ctx), data, length);
    return true;
}

template <typename T>
void SetIv(void* ctx, const uint8_t* iv) {
    std::memcpy(static_cast<T*>(ctx)->iv, iv, sizeof(static_cast<T*>(ctx)->iv));
}

// The key functions also reset the IV; the transport may set the IV first,
// so the record keeps it across a new key.
template <typename T, typename SetKey>
void KeepingIv(void* ctx, SetKey set_key) {
    T& c = *static_cast<T*>(ctx);
    uint8_t iv[sizeof c.iv];
    std::memcpy(iv, c.iv, sizeof iv);
    set_key(c);
    std::memcpy(c.iv, iv, sizeof iv);
}

template <size_t kKeyBytes>
void AesKey(void* ctx, const uint8_t* key) {
    KeepingIv<Aes>(ctx, [key](Aes& c) { AesSetKey(c, key, kKeyBytes); });
}

void BlowfishKey(void* ctx, const uint8_t* key) {
    KeepingIv<Blowfish>(ctx, [key](Blowfish& c) { BlowfishSetKey(c, key, 16); });
}

void TripleDesKey(void* ctx, const uint8_t* key) {
    KeepingIv<TripleDesCbc>(ctx, [key](TripleDesCbc& c) { TripleDesSetKey(c, key); });
}

void DesKeyOp(void* ctx, const uint8_t* key) {
    KeepingIv<DesCbc>(ctx, [key](DesCbc& c) { DesCbcSetKey(c, key); });
}

constexpr auto kAesEncrypt = Run<Aes, kAesBlock, AesCbcEncrypt>;
constexpr auto kAesDecrypt = Run<Aes, kAesBlock, AesCbcDecrypt>;

void Ssh1TripleDesKey(void* ctx, const uint8_t* key) {
    TripleDesSsh1SetKey(*static_cast<TripleDesSsh1*>(ctx), key);
}

void Ssh1BlowfishKey(void* ctx, const uint8_t* key) {
    BlowfishSetKey(*static_cast<Blowfish*>(ctx), key, kSsh1SessionKeyLength);
}

}  // namespace

#define AES_RECORD(NAME, BITS, DISPLAY)                                                                        \
    {CreateContext<Aes>, FreeContext<Aes>, SetIv<Aes>, AesKey<BITS / 8>, kAesEncrypt, kAesDecrypt, NAME, kAesBlock, BITS, \
     DISPLAY}

const SshCipher kCipherAes256 = AES_RECORD("aes256-cbc", 256, "AES-256");
const SshCipher kCipherRijndael256 = AES_RECORD("rijndael256-cbc", 256, "AES-256");
const SshCipher kCipherRijndaelAlias = AES_RECORD("rijndael-cbc@lysator.liu.se", 256, "AES-256");
const SshCipher kCipherAes192 = AES_RECORD("aes192-cbc", 192, "AES-192");
const SshCipher kCipherRijndael192 = AES_RECORD("rijndael192-cbc", 192, "AES-192");
const SshCipher kCipherAes128 = AES_RECORD("aes128-cbc", 128, "AES-128");
const SshCipher kCipherRijndael128 = AES_RECORD("rijndael128-cbc", 128, "AES-128");

#undef AES_RECORD

const SshCipher kCipherBlowfish = {CreateContext<Blowfish>,
                                   FreeContext<Blowfish>,
                                   SetIv<Blowfish>,
                                   BlowfishKey,
                                   Run<Blowfish, kBlowfishBlock, BlowfishCbcEncrypt>,
                                   Run<Blowfish, kBlowfishBlock, BlowfishCbcDecrypt>,
                                   "blowfish-cbc",
                                   kBlowfishBlock,
                                   128,
                                   "Blowfish"};

const SshCipher kCipher3Des = {CreateContext<TripleDesCbc>,
                               FreeContext<TripleDesCbc>,
                               SetIv<TripleDesCbc>,
                               TripleDesKey,
                               Run<TripleDesCbc, kDesBlock, TripleDesCbcEncrypt>,
                               Run<TripleDesCbc, kDesBlock, TripleDesCbcDecrypt>,
                               "3des-cbc",
                               kDesBlock,
                               168,
                               "triple-DES"};

const SshCipher kCipherDes = {CreateContext<DesCbc>,
                              FreeContext<DesCbc>,
                              SetIv<DesCbc>,
                              DesKeyOp,
                              Run<DesCbc, kDesBlock, DesCbcEncrypt>,
                              Run<DesCbc, kDesBlock, DesCbcDecrypt>,
                              "des-cbc",
                              kDesBlock,
                              56,
                              "single-DES"};

const SshCipher* FindCipher(std::string_view name) {
    static const SshCipher* const kAll[] = {
        &kCipherAes256, &kCipherRijndael256, &kCipherRijndaelAlias, &kCipherAes192, &kCipherRijndael192,
        &kCipherAes128, &kCipherRijndael128, &kCipherBlowfish,      &kCipher3Des,   &kCipherDes};
    for (const SshCipher* c : kAll) {
        if (name == c->name) return c;
    }
    return nullptr;
}

const Ssh1Cipher kSsh1Cipher3Des = {CreateContext<TripleDesSsh1>,
                                    FreeContext<TripleDesSsh1>,
                                    Ssh1TripleDesKey,
                                    Run<TripleDesSsh1, kDesBlock, TripleDesSsh1Encrypt>,
                                    Run<TripleDesSsh1, kDesBlock, TripleDesSsh1Decrypt>,
                                    "3DES",
                                    kDesBlock,
                                    3};

const Ssh1Cipher kSsh1CipherBlowfish = {CreateContext<Blowfish>,
                                        FreeContext<Blowfish>,
                                        Ssh1BlowfishKey,
                                        Run<Blowfish, kBlowfishBlock, BlowfishSsh1CbcEncrypt>,
                                        Run<Blowfish, kBlowfishBlock, BlowfishSsh1CbcDecrypt>,
                                        "Blowfish",
                                        kBlowfishBlock,
                                        6};

const Ssh1Cipher kSsh1CipherDes = {CreateContext<DesCbc>,
                                   FreeContext<DesCbc>,
                                   DesKeyOp,
                                   Run<DesCbc, kDesBlock, DesCbcEncrypt>,
                                   Run<DesCbc, kDesBlock, DesCbcDecrypt>,
                                   "single-DES",
                                   kDesBlock,
                                   2};

}  // namespace vorto::crypto

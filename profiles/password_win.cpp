#include "profiles/password_win.h"

#include <wincrypt.h>

#include <cstring>

namespace {
constexpr const char kBaseProvider[] = "Microsoft Base Cryptographic Provider v1.0";

struct Provider {
  HCRYPTPROV handle = 0;
  ~Provider() {
    if (handle) CryptReleaseContext(handle, 0);
  }
};
struct Key {
  HCRYPTKEY handle = 0;
  ~Key() {
    if (handle) CryptDestroyKey(handle);
  }
};

bool AcquireForProtect(Provider& p) {
  if (CryptAcquireContextA(&p.handle, nullptr, nullptr, PROV_RSA_FULL, 0)) return true;
  p.handle = 0;
  if (CryptAcquireContextA(&p.handle, nullptr, kBaseProvider, PROV_RSA_FULL, CRYPT_NEWKEYSET)) return true;
  p.handle = 0;
  return false;
}

bool ExchangeKey(Provider& p, Key& k) {
  if (CryptGetUserKey(p.handle, AT_KEYEXCHANGE, &k.handle)) return true;
  k.handle = 0;
  if (GetLastError() != static_cast<DWORD>(NTE_NO_KEY)) return false;
  Key generated;
  if (!CryptGenKey(p.handle, AT_KEYEXCHANGE, 0, &generated.handle)) return false;
  if (CryptGetUserKey(p.handle, AT_KEYEXCHANGE, &k.handle)) return true;
  k.handle = 0;
  return false;
}
}  // namespace

bool ProtectPassword(const char* plain, DWORD length, DWORD capacity, std::vector<BYTE>& out) {
  out.clear();
  Provider prov;
  Key exchange, session;
  if (!AcquireForProtect(prov) || !ExchangeKey(prov, exchange)) return false;
  if (!CryptGenKey(prov.handle, CALG_RC4, CRYPT_EXPORTABLE, &session.handle)) return false;
  // A session key of the base provider carries a salt that the importing
  // side does not get; Windows leaves it zero, so make sure it is.
  BYTE zeroSalt[16] = {};
  if (!CryptSetKeyParam(session.handle, KP_SALT, zeroSalt, 0)) return false;

  DWORD blobLength = 0;
  if (!CryptExportKey(session.handle, exchange.handle, SIMPLEBLOB, 0, nullptr, &blobLength)) return false;
  DWORD cipherLength = length;
  if (!CryptEncrypt(session.handle, 0, TRUE, 0, nullptr, &cipherLength, length)) return false;
  if (cipherLength < length) cipherLength = length;
  // The protected form has to fit the record's password field whole; a
  // form that was cut would decrypt to garbage.
  if (4ull + blobLength + cipherLength > capacity) return false;

  out.resize(4 + blobLength + cipherLength);
  if (!CryptExportKey(session.handle, exchange.handle, SIMPLEBLOB, 0, out.data() + 4, &blobLength)) {
    out.clear();
    return false;
  }
  std::memcpy(out.data(), &blobLength, 4);
  BYTE* cipher = out.data() + 4 + blobLength;
  std::memcpy(cipher, plain, length);
  DWORD dataLength = length;
  if (!CryptEncrypt(session.handle, 0, TRUE, 0, cipher, &dataLength, cipherLength)) {
    out.clear();
    return false;
  }
  out.resize(4 + blobLength + dataLength);
  return true;
}

bool UnprotectPassword(BYTE* data, DWORD length, DWORD* plainLength) {
  *plainLength = 0;
  if (!data || length < 4) return false;
  DWORD blobLength;
  std::memcpy(&blobLength, data, 4);
  if (blobLength > length - 4) return false;
  DWORD cipherLength = length - 4 - blobLength;
  if (cipherLength == 0) return false;

  Provider prov;
  if (!CryptAcquireContextA(&prov.handle, nullptr, nullptr, PROV_RSA_FULL, 0)) {
    prov.handle = 0;
    return false;
  }
  // The container's key-exchange key unwraps the session key. Some
  // CryptoAPI implementations want it named rather than implied by 0.
  Key exchange, session;
  if (!CryptGetUserKey(prov.handle, AT_KEYEXCHANGE, &exchange.handle)) exchange.handle = 0;
  if (!CryptImportKey(prov.handle, data + 4, blobLength, exchange.handle, 0, &session.handle)) {
    session.handle = 0;
    if (!exchange.handle || !CryptImportKey(prov.handle, data + 4, blobLength, 0, 0, &session.handle)) {
      session.handle = 0;
      return false;
    }
  }
  // Both sides use a zero salt; an imported key may come without one.
  BYTE zeroSalt[16] = {};
  CryptSetKeyParam(session.handle, KP_SALT, zeroSalt, 0);
  BYTE* cipher = data + 4 + blobLength;
  DWORD n = cipherLength;
  if (!CryptDecrypt(session.handle, 0, TRUE, 0, cipher, &n) || n == 0 || n > cipherLength) return false;
  // The plain text was stored with its zero and holds no other: anything
  // else means the wrong key and must not be shown as a password.
  if (cipher[n - 1] != 0 || std::memchr(cipher, 0, n - 1)) return false;
  std::memmove(data, cipher, n);
  *plainLength = n;
  return true;
}

// Protection of stored profile passwords with the user's CryptoAPI key
// container: an RC4 session key wrapped by the container's key-exchange key.
// Stored form: 32-bit blob length n, the n-byte SIMPLEBLOB, the cipher text.
#ifndef VORTO_PROFILES_PASSWORD_WIN_H
#define VORTO_PROFILES_PASSWORD_WIN_H

#include <windows.h>

#include <vector>

// `length` counts the terminating zero. Fails on any CryptoAPI failure and
// when the protected form would not fit `capacity` bytes.
bool ProtectPassword(const char* plain, DWORD length, DWORD capacity, std::vector<BYTE>& out);

// Decrypts `data` (`length` bytes) in place and moves the plain text to its
// start; `plainLength` gets its length including the zero. Fails (and leaves
// nothing readable) when the form is malformed or does not decrypt to one
// terminated text.
bool UnprotectPassword(BYTE* data, DWORD length, DWORD* plainLength);

#endif

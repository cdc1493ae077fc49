// The SSH-2 MAC algorithms, each behind a record of operations that the
// transport picks by protocol name. The MAC covers the 32-bit big-endian
// sequence number followed by the unencrypted packet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorto::crypto {

struct SshMac {
    void* (*create)();  // null when out of memory
    void (*free)(void* ctx);
    // Reads `key_length` bytes of the derived key.
    void (*set_key)(void* ctx, const uint8_t* key);
    // Writes `mac_length` bytes at packet + length.
    void (*generate)(void* ctx, uint8_t* packet, size_t length, uint32_t sequence);
    // Checks the `mac_length` bytes at packet + length, in constant time.
    bool (*verify)(void* ctx, const uint8_t* packet, size_t length, uint32_t sequence);
    const char* name;
    size_t mac_length;
    const char* display_name;
    size_t key_length;
};

extern const SshMac kMacHmacSha1;
// Keyed with only the first 16 bytes of the derived key, for servers with
// that fault.
extern const SshMac kMacHmacSha1Buggy;
extern const SshMac kMacHmacMd5;
extern const SshMac kMacNone;

// By protocol name; null when unknown. The bug-compatible HMAC-SHA1 is not
// found by name: the transport chooses it when the server needs it.
const SshMac* FindMac(std::string_view name);

}  // namespace vorto::crypto

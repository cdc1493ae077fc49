// The SSH-2 public-key algorithms behind one record of operations, chosen
// by protocol name for host keys, user keys and agent keys alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ssh/crypto/wire.h"

namespace vorto::crypto {

// Signing options.
constexpr unsigned kSignPadRsaToModulus = 1;  // keep an RSA signature's leading zeros

struct SshKeyAlgorithm {
    // Key objects belong to the record that made them; null on failure.
    void* (*from_public_blob)(std::span<const uint8_t> blob);
    void (*free_key)(void* key);
    // The host-key cache form.
    std::string (*key_text)(const void* key);
    std::vector<uint8_t> (*public_blob)(const void* key);
    std::vector<uint8_t> (*private_blob)(const void* key);
    void* (*from_blobs)(std::span<const uint8_t> public_blob, std::span<const uint8_t> private_blob);
    // The agent's private encoding (the numbers after the algorithm name).
    void* (*from_openssh_private)(WireReader& r);
    void (*write_openssh_private)(const void* key, std::vector<uint8_t>& out);
    // Key size of a public blob in bits; -1 when the blob does not parse.
    int (*public_blob_bits)(std::span<const uint8_t> blob);
    // Name, bits and the MD5 of the public blob: "ssh-rsa 1024 5f:..:0a".
    std::string (*fingerprint)(const void* key);
    bool (*verify)(const void* key, std::span<const uint8_t> signature, std::span<const uint8_t> data);
    bool (*sign)(const void* key, std::span<const uint8_t> data, unsigned options, std::vector<uint8_t>& signature);
    const char* name;
    const char* cache_type;
};

extern const SshKeyAlgorithm kKeyRsa;
extern const SshKeyAlgorithm kKeyDss;

// By protocol name; null when unknown.
const SshKeyAlgorithm* FindKeyAlgorithm(std::string_view name);

}  // namespace vorto::crypto

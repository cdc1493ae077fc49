// The SSH-2 binary packet protocol, one record per direction: padding,
// MAC, encryption and compression of outgoing payloads, and an incremental
// parser for incoming bytes. No I/O: bytes in, bytes out. The first fatal
// error is kept and every later call fails with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ssh/crypto/cipher.h"
#include "ssh/crypto/compression.h"
#include "ssh/crypto/mac.h"
#include "ssh/crypto/random_source.h"

namespace vorto::ssh {

// Every key derived by the key exchange is this long; the algorithms read
// the prefix they need.
constexpr size_t kDerivedKeyLength = 40;

// The packet length field of a legitimate packet stays far below this; a
// larger one means garbage or an attack, and is refused before anything is
// allocated for it.
constexpr uint32_t kMaxPacketLength = 256 * 1024;

// The algorithms and keys of one direction. Null algorithms mean none (the
// state before the first key exchange). The keys are wiped when the record
// goes away.
struct PacketKeys {
    const crypto::SshCipher* cipher = nullptr;
    const crypto::SshMac* mac = nullptr;
    const crypto::SshCompression* compression = nullptr;
    std::array<uint8_t, kDerivedKeyLength> iv{}, cipher_key{}, mac_key{};
    ~PacketKeys();
};

// The live contexts of one direction.
struct PacketCrypto {
    const crypto::SshCipher* cipher = nullptr;
    void* cipher_ctx = nullptr;
    const crypto::SshMac* mac = nullptr;
    void* mac_ctx = nullptr;
    const crypto::SshCompression* compression = nullptr;
    void* compression_ctx = nullptr;
};

struct PacketOut {
    PacketCrypto crypto;
    uint32_t sequence = 0;  // wraps at 32 bits
    std::string error;
    std::vector<uint8_t> scratch;  // compressed payload
    PacketOut() = default;
    PacketOut(const PacketOut&) = delete;
    PacketOut& operator=(const PacketOut&) = delete;
    ~PacketOut();
};

struct PacketIn {
    PacketCrypto crypto;
    uint32_t sequence = 0;
    std::string error;
    std::vector<uint8_t> buffer;  // received bytes from `start` on are unconsumed
    size_t start = 0;
    bool have_length = false;  // the first block at `start` is decrypted
    uint32_t length = 0;       // packet length field of that packet
    PacketIn() = default;
    PacketIn(const PacketIn&) = delete;
    PacketIn& operator=(const PacketIn&) = delete;
    ~PacketIn();
};

// Installs new algorithms and keys (after NEWKEYS); the old contexts are
// wiped and freed. Outgoing: applies from the next packet written.
// Incoming: applies from the next packet parsed, so the caller installs the
// keys as soon as it has taken the NEWKEYS payload out. False, with the
// error set, when a context cannot be made.
bool PacketOutSetKeys(PacketOut& out, const PacketKeys& keys);
bool PacketInSetKeys(PacketIn& in, const PacketKeys& keys);

// Appends the finished packet (encrypted, with its MAC) to `wire`.
bool PacketWrite(PacketOut& out, std::span<const uint8_t> payload, crypto::RandomSource& random,
                 std::vector<uint8_t>& wire);

// Hands received bytes to the parser; they are only decoded by PacketRead.
void PacketInFeed(PacketIn& in, std::span<const uint8_t> bytes);

enum class PacketResult { kPacket, kNeedMore, kError };

// Takes the next complete packet out of the fed bytes, replacing `payload`
// with its (decompressed) payload. The sequence number of that packet is
// `in.sequence - 1` afterwards.
PacketResult PacketRead(PacketIn& in, std::vector<uint8_t>& payload);

}  // namespace vorto::ssh

// The pieces of the SSH-2 key exchange that need no connection: the key
// exchange records, the client's KEXINIT, parsing the server's, choosing
// the algorithms, the exchange hash and the derivation of the session keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ssh/crypto/bignum.h"
#include "ssh/crypto/cipher.h"
#include "ssh/crypto/compression.h"
#include "ssh/crypto/mac.h"
#include "ssh/crypto/random_source.h"
#include "ssh/crypto/sha1.h"
#include "ssh/sshpacket.h"

namespace vorto::ssh {

constexpr uint8_t kMsgKexInit = 20;

struct SshKex {
    const char* name;
    bool group_exchange;  // the server hands out the group; else the fixed 1024-bit group
};

extern const SshKex kKexDhGroupExchange;
extern const SshKex kKexDhGroup1;

// By protocol name; null when unknown.
const SshKex* FindKex(std::string_view name);

// The group sizes the group-exchange request names.
constexpr uint32_t kGroupExchangeMinBits = 1024;
constexpr uint32_t kGroupExchangeMaxBits = 8192;

// The name-lists of a KEXINIT, in wire order.
enum KexList {
    kListKex,
    kListHostKey,
    kListCipherClientToServer,
    kListCipherServerToClient,
    kListMacClientToServer,
    kListMacServerToClient,
    kListCompressionClientToServer,
    kListCompressionServerToClient,
    kListLanguageClientToServer,
    kListLanguageServerToClient,
    kKexListCount
};

struct KexInit {
    std::string lists[kKexListCount];
    bool first_kex_follows = false;
};

struct KexInitOptions {
    bool group_exchange = true;      // false for servers that cannot do it
    bool compression_first = false;  // "zlib" before "none"
};

// The client's KEXINIT payload, message number first, with a fresh cookie.
std::vector<uint8_t> BuildClientKexInit(const KexInitOptions& options, crypto::RandomSource& random);

// False for a payload that is not a complete KEXINIT.
bool ParseKexInit(std::span<const uint8_t> payload, KexInit& out);

struct KexChoice {
    const SshKex* kex = nullptr;
    std::string host_key;  // "ssh-rsa" or "ssh-dss"
    const crypto::SshCipher* cipher[2] = {};  // [0] client to server, [1] server to client
    const crypto::SshMac* mac[2] = {};
    const crypto::SshCompression* compression[2] = {};
};

// For each list the first client entry that the server also names. On
// failure `error` holds the fatal text. `hmac_bug` selects the
// bug-compatible HMAC-SHA1 for servers that need it.
bool ChooseAlgorithms(const KexInit& client, const KexInit& server, bool hmac_bug, KexChoice& choice,
                      std::string& error);

// Strength of the exchange: the longer of the two cipher keys, capped at 160 bits.
unsigned KexKeyBits(const KexChoice& choice);

// The preferred group size for a strength of `bits`.
uint32_t GroupExchangePreferredBits(unsigned bits);

struct ExchangeHashInput {
    std::string_view client_version, server_version;  // without line ends
    std::span<const uint8_t> client_kexinit, server_kexinit, host_key;
    bool group_exchange = false;
    uint32_t min_bits = 0, preferred_bits = 0, max_bits = 0;  // the group-exchange request
    crypto::Bignum p, g;                                     // the group handed out
    crypto::Bignum e, f, k;
};

void ExchangeHash(const ExchangeHashInput& in, uint8_t h[crypto::kSha1Length]);

// One derived key: `letter` is 'A' to 'F'. `omit_secret` leaves K out of
// both hashes, for servers that derive their keys that way.
void DeriveKey(const crypto::Bignum& k, const uint8_t h[crypto::kSha1Length], char letter,
               const uint8_t session_id[crypto::kSha1Length], bool omit_secret, uint8_t out[kDerivedKeyLength]);

// The algorithms and keys of one direction, ready for the packet layer.
// `client_to_server` picks IV A, key C, MAC key E; otherwise B, D, F.
void DerivePacketKeys(const KexChoice& choice, bool client_to_server, const crypto::Bignum& k,
                      const uint8_t h[crypto::kSha1Length], const uint8_t session_id[crypto::kSha1Length],
                      bool omit_secret, PacketKeys& keys);

}  // namespace vorto::ssh

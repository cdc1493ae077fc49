// Messages of the SSH agent protocol as the client speaks it: building the
// requests and parsing the replies. A message is a 32-bit big-endian length,
// a type byte and a body; every builder and parser here works on whole
// messages, length word included, as they cross the agent's shared memory.
//
// Requests and replies may carry challenges and signatures, so they live in
// SecretBytes, which wipes them when they go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ssh/crypto/bignum.h"
#include "ssh/crypto/rsa.h"
#include "ssh/keyfile_io.h"

namespace vorto::ssh {

// Message types.
constexpr uint8_t kAgentRequestRsaIdentities = 1;  // SSH-1
constexpr uint8_t kAgentRsaIdentitiesAnswer = 2;
constexpr uint8_t kAgentRsaChallenge = 3;
constexpr uint8_t kAgentRsaResponse = 4;
constexpr uint8_t kAgentFailure = 5;
constexpr uint8_t kAgentRequestIdentities = 11;  // SSH-2
constexpr uint8_t kAgentIdentitiesAnswer = 12;
constexpr uint8_t kAgentSignRequest = 13;
constexpr uint8_t kAgentSignResponse = 14;

// The agent's shared memory, and so the largest message either way.
constexpr size_t kAgentMaxMessage = 8192;

// The SSH-1 challenge: a 32-byte secret under the key, answered with the MD5
// of the secret and the session id.
constexpr size_t kSsh1SessionIdLength = 16;
constexpr size_t kSsh1ChallengeLength = 32;
constexpr size_t kSsh1ResponseLength = 16;
// The only response type there is: MD5 of the secret and the session id.
constexpr uint32_t kSsh1ResponseTypeMd5 = 1;

// An SSH-2 key the agent holds.
struct AgentKey {
    std::vector<uint8_t> blob;
    std::string comment;
};

// An SSH-1 key the agent holds: public numbers only.
struct AgentRsaKey {
    uint32_t bits = 0;  // as the agent states it
    crypto::RsaKey key;
    std::string comment;
};

// Requests. Each replaces the contents of `out`.
void BuildAgentRequestIdentities(SecretBytes& out);
void BuildAgentSignRequest(std::span<const uint8_t> key_blob, std::span<const uint8_t> data, uint32_t flags,
                           SecretBytes& out);
void BuildAgentRequestRsaIdentities(SecretBytes& out);
// `challenge` is the server's number, still encrypted under the key.
void BuildAgentRsaChallenge(const AgentRsaKey& key, const crypto::Bignum& challenge,
                            std::span<const uint8_t, kSsh1SessionIdLength> session_id, SecretBytes& out);

// The type byte of a well-framed message (length word at least 1 and no
// larger than what follows it); -1 otherwise.
int AgentMessageType(std::span<const uint8_t> message);

// Replies. Each is false, with `out` emptied, unless the message is well
// framed, of the expected type and its body parses in full. Bytes after the
// last field are ignored, as the protocol allows extensions to add fields.
bool ParseAgentIdentities(std::span<const uint8_t> reply, std::vector<AgentKey>& out);
bool ParseAgentSignResponse(std::span<const uint8_t> reply, std::vector<uint8_t>& signature);
bool ParseAgentRsaIdentities(std::span<const uint8_t> reply, std::vector<AgentRsaKey>& out);
bool ParseAgentRsaResponse(std::span<const uint8_t> reply, std::span<uint8_t, kSsh1ResponseLength> response);

}  // namespace vorto::ssh

#include "ssh/agentmsg.h"

#include <algorithm>

#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/wire.h"

namespace vorto::ssh {

using crypto::WireReader;

namespace {

// Bytes of a number in the SSH-1 form: bit count, then the bytes.
size_t Ssh1NumberSize(const crypto::Bignum& n) {
    return 2 + (crypto::BnBitCount(n) + 7) / 8;
}

// Wipes what `out` held and starts a message of `body_size` bytes after the
// type, with room for all of it so the vector never moves while it fills.
void StartMessage(SecretBytes& out, uint8_t type, size_t body_size) {
    crypto::Wipe(out.bytes.data(), out.bytes.size());
    out.bytes.clear();
    out.bytes.reserve(5 + body_size);
    crypto::WirePutU32(out.bytes, uint32_t(1 + body_size));
    out.bytes.push_back(type);
}

// A reader over the body of `reply` when it is a well-framed message of `type`.
bool OpenReply(std::span<const uint8_t> reply, uint8_t type, WireReader& body) {
    if (AgentMessageType(reply) != type) return false;
    uint32_t length = crypto::LoadBe32(reply.data());
    body = crypto::WireReaderOf(reply.subspan(5, length - 1));
    return true;
}

}  // namespace

void BuildAgentRequestIdentities(SecretBytes& out) {
    StartMessage(out, kAgentRequestIdentities, 0);
}

void BuildAgentSignRequest(std::span<const uint8_t> key_blob, std::span<const uint8_t> data, uint32_t flags,
                           SecretBytes& out) {
    StartMessage(out, kAgentSignRequest, 4 + key_blob.size() + 4 + data.size() + 4);
    crypto::WirePutString(out.bytes, key_blob);
    crypto::WirePutString(out.bytes, data);
    crypto::WirePutU32(out.bytes, flags);
}

void BuildAgentRequestRsaIdentities(SecretBytes& out) {
    StartMessage(out, kAgentRequestRsaIdentities, 0);
}

void BuildAgentRsaChallenge(const AgentRsaKey& key, const crypto::Bignum& challenge,
                            std::span<const uint8_t, kSsh1SessionIdLength> session_id, SecretBytes& out) {
    StartMessage(out, kAgentRsaChallenge,
                 4 + Ssh1NumberSize(key.key.exponent) + Ssh1NumberSize(key.key.modulus) + Ssh1NumberSize(challenge) +
                     session_id.size() + 4);
    crypto::WirePutU32(out.bytes, key.bits);
    crypto::BnPutSsh1(out.bytes, key.key.exponent);
    crypto::BnPutSsh1(out.bytes, key.key.modulus);
    crypto::BnPutSsh1(out.bytes, challenge);
    out.bytes.insert(out.bytes.end(), session_id.begin(), session_id.end());
    crypto::WirePutU32(out.bytes, kSsh1ResponseTypeMd5);
}

int AgentMessageType(std::span<const uint8_t> message) {
    if (message.size() < 5) return -1;
    uint32_t length = crypto::LoadBe32(message.data());
    if (length < 1 || length > message.size() - 4) return -1;
    return message[4];
}

bool ParseAgentIdentities(std::span<const uint8_t> reply, std::vector<AgentKey>& out) {
    out.clear();
    WireReader r;
    uint32_t count;
    if (!OpenReply(reply, kAgentIdentitiesAnswer, r) || !crypto::WireGetU32(r, count)) return false;
    // Each key takes at least its two length words: a forged count fails here,
    // before anything is reserved for it.
    if (count > r.left / 8) return false;
    std::vector<AgentKey> keys(count);
    for (AgentKey& key : keys) {
        std::span<const uint8_t> blob, comment;
        if (!crypto::WireGetString(r, blob) || !crypto::WireGetString(r, comment)) return false;
        key.blob.assign(blob.begin(), blob.end());
        key.comment.assign(comment.begin(), comment.end());
    }
    out = std::move(keys);
    return true;
}

bool ParseAgentSignResponse(std::span<const uint8_t> reply, std::vector<uint8_t>& signature) {
    signature.clear();
    WireReader r;
    std::span<const uint8_t> blob;
    if (!OpenReply(reply, kAgentSignResponse, r) || !crypto::WireGetString(r, blob)) return false;
    signature.assign(blob.begin(), blob.end());
    return true;
}

bool ParseAgentRsaIdentities(std::span<const uint8_t> reply, std::vector<AgentRsaKey>& out) {
    out.clear();
    WireReader r;
    uint32_t count;
    if (!OpenReply(reply, kAgentRsaIdentitiesAnswer, r) || !crypto::WireGetU32(r, count)) return false;
    // Bits, two bit counts and the comment's length word at the least.
    if (count > r.left / 12) return false;
    std::vector<AgentRsaKey> keys(count);
    for (AgentRsaKey& key : keys) {
        std::span<const uint8_t> comment;
        if (!crypto::WireGetU32(r, key.bits) || !crypto::WireGetSsh1Bignum(r, key.key.exponent) ||
            !crypto::WireGetSsh1Bignum(r, key.key.modulus) || !crypto::WireGetString(r, comment))
            return false;
        key.comment.assign(comment.begin(), comment.end());
    }
    out = std::move(keys);
    return true;
}

bool ParseAgentRsaResponse(std::span<const uint8_t> reply, std::span<uint8_t, kSsh1ResponseLength> response) {
    WireReader r;
    if (!OpenReply(reply, kAgentRsaResponse, r) || r.left < kSsh1ResponseLength) return false;
    std::copy(r.data, r.data + kSsh1ResponseLength, response.begin());
    return true;
}

}  // namespace vorto::ssh

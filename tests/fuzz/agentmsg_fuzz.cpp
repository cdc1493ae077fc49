// Parses arbitrary bytes as every agent reply the client reads. Each parser
// also gets a copy whose type byte is the one it expects, so that the
// fuzzer reaches the bodies without having to guess the type first.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ssh/agentmsg.h"

namespace {

std::vector<uint8_t> WithType(const uint8_t* data, size_t size, uint8_t type) {
    std::vector<uint8_t> copy(data, data + size);
    if (copy.size() > 4) copy[4] = type;
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorto::ssh;
    std::span<const uint8_t> reply(data, size);
    AgentMessageType(reply);
    std::vector<AgentKey> keys;
    ParseAgentIdentities(reply, keys);
    ParseAgentIdentities(WithType(data, size, kAgentIdentitiesAnswer), keys);
    std::vector<AgentRsaKey> rsa_keys;
    ParseAgentRsaIdentities(reply, rsa_keys);
    ParseAgentRsaIdentities(WithType(data, size, kAgentRsaIdentitiesAnswer), rsa_keys);
    std::vector<uint8_t> signature;
    ParseAgentSignResponse(reply, signature);
    ParseAgentSignResponse(WithType(data, size, kAgentSignResponse), signature);
    std::array<uint8_t, kSsh1ResponseLength> response;
    ParseAgentRsaResponse(reply, response);
    ParseAgentRsaResponse(WithType(data, size, kAgentRsaResponse), response);
    return 0;
}

// Agent messages: the exact bytes of each request, and replies that are
// well formed, cut short, mis-framed or forged.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "ssh/agentmsg.h"
#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/wire.h"

using namespace vorto::ssh;
using vorto::crypto::BnCompare;
using vorto::crypto::BnFromUint;
using vorto::crypto::WirePutString;
using vorto::crypto::WirePutU32;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Message(uint8_t type, const Bytes& body) {
    Bytes out;
    WirePutU32(out, uint32_t(1 + body.size()));
    out.push_back(type);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes Built(void (*build)(SecretBytes&)) {
    SecretBytes out;
    build(out);
    return out.bytes;
}

Bytes TwoKeysBody() {
    Bytes body;
    WirePutU32(body, 2);
    WirePutString(body, std::string_view("blob-one"));
    WirePutString(body, std::string_view("first key"));
    WirePutString(body, std::string_view(""));
    WirePutString(body, std::string_view("second"));
    return body;
}

// SSH-1 key list with one key: e = 0x10001, n = 0xc5 (8 bits), comment "k1".
Bytes OneRsaKeyBody() {
    return {0, 0, 0, 1,                // count
            0, 0, 0, 8,                // bits
            0, 17, 0x01, 0x00, 0x01,   // exponent
            0, 8, 0xc5,                // modulus
            0, 0, 0, 2, 'k', '1'};     // comment
}

TEST(AgentMessages, RequestsHaveTheirExactBytes) {
    EXPECT_EQ(Built(BuildAgentRequestIdentities), (Bytes{0, 0, 0, 1, 11}));
    EXPECT_EQ(Built(BuildAgentRequestRsaIdentities), (Bytes{0, 0, 0, 1, 1}));

    SecretBytes sign;
    sign.bytes = Bytes(100, 0xee);  // replaced, not appended to
    BuildAgentSignRequest(Bytes{0xaa, 0xbb}, Bytes{0xcc}, 0x01020304, sign);
    EXPECT_EQ(sign.bytes, (Bytes{0, 0, 0, 16, 13, 0, 0, 0, 2, 0xaa, 0xbb, 0, 0, 0, 1, 0xcc, 1, 2, 3, 4}));

    AgentRsaKey key;
    key.bits = 8;
    key.key.exponent = BnFromUint(0x10001);
    key.key.modulus = BnFromUint(0xc5);
    std::array<uint8_t, kSsh1SessionIdLength> session_id;
    for (size_t i = 0; i < session_id.size(); ++i) session_id[i] = uint8_t(0xa0 + i);
    SecretBytes challenge;
    BuildAgentRsaChallenge(key, BnFromUint(0x7b), session_id, challenge);
    Bytes expected = {0, 0, 0, 1 + 4 + 5 + 3 + 3 + 16 + 4, 3, 0, 0, 0, 8, 0, 17, 1, 0, 1, 0, 8, 0xc5, 0, 7, 0x7b};
    expected.insert(expected.end(), session_id.begin(), session_id.end());
    expected.insert(expected.end(), {0, 0, 0, 1});
    EXPECT_EQ(challenge.bytes, expected);
}

TEST(AgentMessages, FramingIsCheckedBeforeTheType) {
    EXPECT_EQ(AgentMessageType(Message(12, {})), 12);
    EXPECT_EQ(AgentMessageType(Bytes{0, 0, 0, 1}), -1);            // no type byte
    EXPECT_EQ(AgentMessageType(Bytes{0, 0, 0, 0, 12}), -1);        // length 0
    EXPECT_EQ(AgentMessageType(Bytes{0, 0, 0, 2, 12}), -1);        // longer than what follows
    EXPECT_EQ(AgentMessageType(Bytes{0xff, 0xff, 0xff, 0xff, 12}), -1);
    EXPECT_EQ(AgentMessageType(Bytes{0, 0, 0, 1, 12, 99, 99}), 12);  // the frame ends first
}

TEST(AgentMessages, IdentityListParses) {
    std::vector<AgentKey> keys;
    Bytes reply = Message(kAgentIdentitiesAnswer, TwoKeysBody());
    ASSERT_TRUE(ParseAgentIdentities(reply, keys));
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(std::string(keys[0].blob.begin(), keys[0].blob.end()), "blob-one");
    EXPECT_EQ(keys[0].comment, "first key");
    EXPECT_TRUE(keys[1].blob.empty());
    EXPECT_EQ(keys[1].comment, "second");

    Bytes longer = TwoKeysBody();
    longer.push_back(0x42);  // a field of a later protocol revision
    EXPECT_TRUE(ParseAgentIdentities(Message(kAgentIdentitiesAnswer, longer), keys));
    EXPECT_TRUE(ParseAgentIdentities(Message(kAgentIdentitiesAnswer, {0, 0, 0, 0}), keys));
    EXPECT_TRUE(keys.empty());
}

TEST(AgentMessages, IdentityListCutAnywhereIsRefused) {
    Bytes body = TwoKeysBody();
    for (size_t cut = 0; cut < body.size(); ++cut) {
        std::vector<AgentKey> keys(1);
        Bytes reply = Message(kAgentIdentitiesAnswer, Bytes(body.begin(), body.begin() + cut));
        // The bytes beyond the frame are still there: the parser must not read them.
        Bytes beyond = reply;
        beyond.insert(beyond.end(), body.begin() + cut, body.end());
        EXPECT_FALSE(ParseAgentIdentities(reply, keys)) << cut;
        EXPECT_FALSE(ParseAgentIdentities(beyond, keys)) << cut;
        EXPECT_TRUE(keys.empty());
    }
}

TEST(AgentMessages, ForgedCountsAreRefusedBeforeAllocating) {
    std::vector<AgentKey> keys;
    std::vector<AgentRsaKey> rsa_keys;
    for (uint32_t count : {0xffffffffu, 0x80000000u, 3u}) {
        Bytes body = TwoKeysBody();
        vorto::crypto::StoreBe32(body.data(), count);
        EXPECT_FALSE(ParseAgentIdentities(Message(kAgentIdentitiesAnswer, body), keys)) << count;
        Bytes rsa = OneRsaKeyBody();
        vorto::crypto::StoreBe32(rsa.data(), count);
        EXPECT_FALSE(ParseAgentRsaIdentities(Message(kAgentRsaIdentitiesAnswer, rsa), rsa_keys)) << count;
    }
    // A string length beyond the message.
    Bytes body = {0, 0, 0, 1, 0xff, 0xff, 0xff, 0xf0, 1, 2, 3, 4};
    EXPECT_FALSE(ParseAgentIdentities(Message(kAgentIdentitiesAnswer, body), keys));
}

TEST(AgentMessages, OtherTypesAreNotAnAnswer) {
    std::vector<AgentKey> keys;
    std::vector<AgentRsaKey> rsa_keys;
    std::vector<uint8_t> signature;
    std::array<uint8_t, kSsh1ResponseLength> response;
    Bytes failure = Message(kAgentFailure, {});
    EXPECT_FALSE(ParseAgentIdentities(failure, keys));
    EXPECT_FALSE(ParseAgentRsaIdentities(failure, rsa_keys));
    EXPECT_FALSE(ParseAgentSignResponse(failure, signature));
    EXPECT_FALSE(ParseAgentRsaResponse(failure, response));
    // An SSH-1 list is not an SSH-2 list, even where the bytes would parse.
    EXPECT_FALSE(ParseAgentIdentities(Message(kAgentRsaIdentitiesAnswer, TwoKeysBody()), keys));
    EXPECT_FALSE(ParseAgentIdentities({}, keys));
}

TEST(AgentMessages, SignatureParses) {
    Bytes body;
    WirePutString(body, std::string_view("signature blob"));
    std::vector<uint8_t> signature = {9};
    ASSERT_TRUE(ParseAgentSignResponse(Message(kAgentSignResponse, body), signature));
    EXPECT_EQ(std::string(signature.begin(), signature.end()), "signature blob");

    body.pop_back();
    EXPECT_FALSE(ParseAgentSignResponse(Message(kAgentSignResponse, body), signature));
    EXPECT_TRUE(signature.empty());
}

TEST(AgentMessages, Ssh1ListAndResponseParse) {
    std::vector<AgentRsaKey> keys;
    ASSERT_TRUE(ParseAgentRsaIdentities(Message(kAgentRsaIdentitiesAnswer, OneRsaKeyBody()), keys));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].bits, 8u);
    EXPECT_EQ(BnCompare(keys[0].key.exponent, BnFromUint(0x10001)), 0);
    EXPECT_EQ(BnCompare(keys[0].key.modulus, BnFromUint(0xc5)), 0);
    EXPECT_EQ(keys[0].comment, "k1");

    Bytes body = OneRsaKeyBody();
    for (size_t cut = 4; cut < body.size(); ++cut)
        EXPECT_FALSE(ParseAgentRsaIdentities(Message(kAgentRsaIdentitiesAnswer, Bytes(body.begin(), body.begin() + cut)),
                                             keys))
            << cut;
    // A bit count smaller than the number it announces.
    body[15] = 0x7f;
    body[14] = 6;
    EXPECT_FALSE(ParseAgentRsaIdentities(Message(kAgentRsaIdentitiesAnswer, body), keys));

    Bytes digest(kSsh1ResponseLength);
    for (size_t i = 0; i < digest.size(); ++i) digest[i] = uint8_t(i + 1);
    std::array<uint8_t, kSsh1ResponseLength> response = {};
    ASSERT_TRUE(ParseAgentRsaResponse(Message(kAgentRsaResponse, digest), response));
    EXPECT_TRUE(std::equal(response.begin(), response.end(), digest.begin()));
    digest.pop_back();
    EXPECT_FALSE(ParseAgentRsaResponse(Message(kAgentRsaResponse, digest), response));
}

}  // namespace

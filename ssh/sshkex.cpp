#include "ssh/sshkex.h"

#include <algorithm>

#include "ssh/crypto/hash_util.h"
#include "ssh/crypto/wire.h"

namespace vorto::ssh {

using crypto::BytesOf;

const SshKex kKexDhGroupExchange = {"diffie-hellman-group-exchange-sha1", true};
const SshKex kKexDhGroup1 = {"diffie-hellman-group1-sha1", false};

const SshKex* FindKex(std::string_view name) {
    for (const SshKex* k : {&kKexDhGroupExchange, &kKexDhGroup1}) {
        if (name == k->name) return k;
    }
    return nullptr;
}

namespace {

constexpr size_t kCookieLength = 16;

// Strongest first; single DES is never offered.
const crypto::SshCipher* const kCipherPreference[] = {
    &crypto::kCipherAes256,     &crypto::kCipherRijndael256, &crypto::kCipherRijndaelAlias,
    &crypto::kCipherAes192,     &crypto::kCipherRijndael192, &crypto::kCipherAes128,
    &crypto::kCipherRijndael128, &crypto::kCipherBlowfish,   &crypto::kCipher3Des};

std::string CipherList() {
    std::string list;
    for (const crypto::SshCipher* c : kCipherPreference) {
        if (!list.empty()) list += ',';
        list += c->name;
    }
    return list;
}

bool Contains(std::string_view list, std::string_view name) {
    while (true) {
        size_t comma = list.find(',');
        if (list.substr(0, comma) == name) return true;
        if (comma == std::string_view::npos) return false;
        list.remove_prefix(comma + 1);
    }
}

// The first entry of `ours` that `theirs` names too; empty when none.
std::string FirstCommon(std::string_view ours, std::string_view theirs) {
    while (!ours.empty()) {
        size_t comma = ours.find(',');
        std::string_view name = ours.substr(0, comma);
        if (!name.empty() && Contains(theirs, name)) return std::string(name);
        if (comma == std::string_view::npos) break;
        ours.remove_prefix(comma + 1);
    }
    return {};
}

// The server's list is its own text: it is appended, never used as a format.
std::string NoAgreement(const std::string& what, const std::string& available) {
    return std::string("Couldn't agree a ") + what + " (available: " + (available.empty() ? "(null)" : available) +
           ")";
}

void PutBignumHashed(crypto::Sha1& sha, const crypto::Bignum& n) {
    std::vector<uint8_t> bytes;
    crypto::BnPutMpint(bytes, n);
    crypto::Sha1Add(sha, bytes.data(), bytes.size());
    crypto::Wipe(bytes.data(), bytes.size());
}

void PutStringHashed(crypto::Sha1& sha, std::span<const uint8_t> s) {
    uint8_t length[4];
    crypto::StoreBe32(length, uint32_t(s.size()));
    crypto::Sha1Add(sha, length, 4);
    crypto::Sha1Add(sha, s.data(), s.size());
}

void PutU32Hashed(crypto::Sha1& sha, uint32_t value) {
    uint8_t bytes[4];
    crypto::StoreBe32(bytes, value);
    crypto::Sha1Add(sha, bytes, 4);
}

}  // namespace

std::vector<uint8_t> BuildClientKexInit(const KexInitOptions& options, crypto::RandomSource& random) {
    std::string kex = options.group_exchange ? std::string(kKexDhGroupExchange.name) + "," + kKexDhGroup1.name
                                             : std::string(kKexDhGroup1.name);
    const std::string ciphers = CipherList();
    const char* macs = "hmac-sha1,hmac-md5,none";
    const char* compression = options.compression_first ? "zlib,none" : "none,zlib";
    std::vector<uint8_t> out{kMsgKexInit};
    for (size_t i = 0; i < kCookieLength; ++i) out.push_back(random.next_byte(random.ctx));
    const std::string lists[kKexListCount] = {kex,  "ssh-rsa,ssh-dss", ciphers,     ciphers, macs,
                                              macs, compression,       compression, "",      ""};
    for (const std::string& list : lists) crypto::WirePutString(out, list);
    out.push_back(0);  // no guessed key exchange packet follows
    crypto::WirePutU32(out, 0);
    return out;
}

bool ParseKexInit(std::span<const uint8_t> payload, KexInit& out) {
    if (payload.size() < 1 + kCookieLength || payload[0] != kMsgKexInit) return false;
    crypto::WireReader r = crypto::WireReaderOf(payload.subspan(1 + kCookieLength));
    for (std::string& list : out.lists) {
        std::span<const uint8_t> text;
        if (!crypto::WireGetString(r, text)) return false;
        list.assign(text.begin(), text.end());
    }
    if (r.left < 1) return false;
    out.first_kex_follows = r.data[0] != 0;
    r.data++;
    r.left--;
    uint32_t reserved;
    return crypto::WireGetU32(r, reserved);
}

bool ChooseAlgorithms(const KexInit& client, const KexInit& server, bool hmac_bug, KexChoice& choice,
                      std::string& error) {
    choice = KexChoice{};
    choice.kex = FindKex(FirstCommon(client.lists[kListKex], server.lists[kListKex]));
    if (!choice.kex) {
        error = NoAgreement("key exchange algorithm", server.lists[kListKex]);
        return false;
    }
    choice.host_key = FirstCommon(client.lists[kListHostKey], server.lists[kListHostKey]);
    if (choice.host_key.empty()) {
        error = NoAgreement("host key algorithm", server.lists[kListHostKey]);
        return false;
    }
    const std::string kDirection[2] = {"client-to-server", "server-to-client"};
    for (int d = 0; d < 2; ++d) {
        const std::string& ciphers = server.lists[kListCipherClientToServer + d];
        choice.cipher[d] = crypto::FindCipher(FirstCommon(client.lists[kListCipherClientToServer + d], ciphers));
        if (!choice.cipher[d]) {
            error = NoAgreement(kDirection[d] + " cipher", ciphers);
            return false;
        }
        const std::string& macs = server.lists[kListMacClientToServer + d];
        choice.mac[d] = crypto::FindMac(FirstCommon(client.lists[kListMacClientToServer + d], macs));
        if (!choice.mac[d]) {
            error = NoAgreement(kDirection[d] + " MAC algorithm", macs);
            return false;
        }
        if (hmac_bug && choice.mac[d] == &crypto::kMacHmacSha1) choice.mac[d] = &crypto::kMacHmacSha1Buggy;
        const std::string& methods = server.lists[kListCompressionClientToServer + d];
        choice.compression[d] =
            crypto::FindCompression(FirstCommon(client.lists[kListCompressionClientToServer + d], methods));
        if (!choice.compression[d]) {
            error = NoAgreement(kDirection[d] + " compression method", methods);
            return false;
        }
    }
    return true;
}

unsigned KexKeyBits(const KexChoice& choice) {
    unsigned bits = 0;
    for (const crypto::SshCipher* c : choice.cipher) {
        if (c) bits = std::max(bits, c->key_bits);
    }
    return std::min(bits, 160u);
}

uint32_t GroupExchangePreferredBits(unsigned bits) {
    return bits == 0 ? 512 : 512u << ((bits - 1) / 64);
}

void ExchangeHash(const ExchangeHashInput& in, uint8_t h[crypto::kSha1Length]) {
    crypto::Sha1 sha;
    crypto::Sha1Start(sha);
    PutStringHashed(sha, BytesOf(in.client_version));
    PutStringHashed(sha, BytesOf(in.server_version));
    PutStringHashed(sha, in.client_kexinit);
    PutStringHashed(sha, in.server_kexinit);
    PutStringHashed(sha, in.host_key);
    if (in.group_exchange) {
        PutU32Hashed(sha, in.min_bits);
        PutU32Hashed(sha, in.preferred_bits);
        PutU32Hashed(sha, in.max_bits);
        PutBignumHashed(sha, in.p);
        PutBignumHashed(sha, in.g);
    }
    PutBignumHashed(sha, in.e);
    PutBignumHashed(sha, in.f);
    PutBignumHashed(sha, in.k);
    crypto::Sha1Finish(sha, h);
}

void DeriveKey(const crypto::Bignum& k, const uint8_t h[crypto::kSha1Length], char letter,
               const uint8_t session_id[crypto::kSha1Length], bool omit_secret, uint8_t out[kDerivedKeyLength]) {
    static_assert(kDerivedKeyLength <= 2 * crypto::kSha1Length);
    uint8_t blocks[2 * crypto::kSha1Length];
    crypto::Sha1 sha;
    crypto::Sha1Start(sha);
    if (!omit_secret) PutBignumHashed(sha, k);
    crypto::Sha1Add(sha, h, crypto::kSha1Length);
    crypto::Sha1Add(sha, &letter, 1);
    crypto::Sha1Add(sha, session_id, crypto::kSha1Length);
    crypto::Sha1Finish(sha, blocks);
    // The second block extends the first: hash of K, H and the key so far.
    crypto::Sha1Start(sha);
    if (!omit_secret) PutBignumHashed(sha, k);
    crypto::Sha1Add(sha, h, crypto::kSha1Length);
    crypto::Sha1Add(sha, blocks, crypto::kSha1Length);
    crypto::Sha1Finish(sha, blocks + crypto::kSha1Length);
    std::copy(blocks, blocks + kDerivedKeyLength, out);
    crypto::Wipe(blocks, sizeof blocks);
}

void DerivePacketKeys(const KexChoice& choice, bool client_to_server, const crypto::Bignum& k,
                      const uint8_t h[crypto::kSha1Length], const uint8_t session_id[crypto::kSha1Length],
                      bool omit_secret, PacketKeys& keys) {
    const int d = client_to_server ? 0 : 1;
    keys.cipher = choice.cipher[d];
    keys.mac = choice.mac[d];
    keys.compression = choice.compression[d];
    const char first = client_to_server ? 'A' : 'B';
    DeriveKey(k, h, char(first + 0), session_id, omit_secret, keys.iv.data());
    DeriveKey(k, h, char(first + 2), session_id, omit_secret, keys.cipher_key.data());
    DeriveKey(k, h, char(first + 4), session_id, omit_secret, keys.mac_key.data());
}

}  // namespace vorto::ssh

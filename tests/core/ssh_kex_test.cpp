#include <gtest/gtest.h>

#include "crypto_test_keys.h"
#include "crypto_test_support.h"
#include "ssh/crypto/dh.h"
#include "ssh/sshkex.h"

using namespace vorto::ssh;
using namespace vorto::crypto;
using namespace crypto_test;

namespace {

const char kCiphers[] =
    "aes256-cbc,rijndael256-cbc,rijndael-cbc@lysator.liu.se,aes192-cbc,rijndael192-cbc,"
    "aes128-cbc,rijndael128-cbc,blowfish-cbc,3des-cbc";

KexInit ClientLists(const KexInitOptions& options = {}) {
    SeededRandom random(1);
    RandomSource src = random.Source();
    KexInit lists;
    EXPECT_TRUE(ParseKexInit(BuildClientKexInit(options, src), lists));
    return lists;
}

// What a current server offers.
KexInit ServerLists() {
    KexInit s;
    s.lists[kListKex] = "curve25519-sha256,diffie-hellman-group-exchange-sha1,diffie-hellman-group14-sha1";
    s.lists[kListHostKey] = "rsa-sha2-512,ssh-rsa,ssh-ed25519";
    s.lists[kListCipherClientToServer] = s.lists[kListCipherServerToClient] = "aes128-ctr,aes128-cbc,3des-cbc";
    s.lists[kListMacClientToServer] = s.lists[kListMacServerToClient] = "hmac-sha2-256,hmac-md5,hmac-sha1";
    s.lists[kListCompressionClientToServer] = s.lists[kListCompressionServerToClient] = "none,zlib@openssh.com";
    return s;
}

std::string Choose(const KexInit& server, KexChoice& choice, bool hmac_bug = false) {
    std::string error;
    bool ok = ChooseAlgorithms(ClientLists(), server, hmac_bug, choice, error);
    EXPECT_EQ(ok, error.empty());
    return error;
}

Bytes Mpint(const Bignum& n) {
    Bytes out;
    BnPutMpint(out, n);
    return out;
}

}  // namespace

// The client's lists in order, its fresh cookie, and the fixed tail; the
// group exchange drops out for servers that cannot do it, and compression
// moves first when the user asks for it.
TEST(SshKex, ClientKexInitLists) {
    SeededRandom random(2);
    RandomSource src = random.Source();
    Bytes a = BuildClientKexInit({}, src), b = BuildClientKexInit({}, src);
    EXPECT_EQ(a[0], 20);
    EXPECT_NE(Bytes(a.begin() + 1, a.begin() + 17), Bytes(b.begin() + 1, b.begin() + 17));
    EXPECT_EQ(Bytes(a.end() - 5, a.end()), Bytes(5, 0));  // first-kex-follows false, reserved 0

    KexInit lists;
    ASSERT_TRUE(ParseKexInit(a, lists));
    EXPECT_EQ(lists.lists[kListKex], "diffie-hellman-group-exchange-sha1,diffie-hellman-group1-sha1");
    EXPECT_EQ(lists.lists[kListHostKey], "ssh-rsa,ssh-dss");
    for (int d = 0; d < 2; ++d) {
        EXPECT_EQ(lists.lists[kListCipherClientToServer + d], kCiphers);
        EXPECT_EQ(lists.lists[kListMacClientToServer + d], "hmac-sha1,hmac-md5,none");
        EXPECT_EQ(lists.lists[kListCompressionClientToServer + d], "none,zlib");
        EXPECT_EQ(lists.lists[kListLanguageClientToServer + d], "");
    }
    EXPECT_FALSE(lists.first_kex_follows);

    KexInit other = ClientLists({.group_exchange = false, .compression_first = true});
    EXPECT_EQ(other.lists[kListKex], "diffie-hellman-group1-sha1");
    EXPECT_EQ(other.lists[kListCompressionServerToClient], "zlib,none");
}

// Every cut of a KEXINIT, a wrong message number, and lengths past the end
// are refused; trailing bytes after the reserved field are not.
TEST(SshKex, ParseChecksEveryLength) {
    SeededRandom random(3);
    RandomSource src = random.Source();
    Bytes good = BuildClientKexInit({}, src);
    KexInit lists;
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ParseKexInit(std::span<const uint8_t>(good.data(), n), lists)) << n;
    Bytes wrong = good;
    wrong[0] = 21;
    EXPECT_FALSE(ParseKexInit(wrong, lists));
    for (uint8_t top : {0x00, 0x7f, 0xff}) {
        Bytes huge = good;
        huge[17] = top;  // first list's length
        huge[18] = 0xff;
        EXPECT_FALSE(ParseKexInit(huge, lists));
    }
    Bytes longer = good;
    longer.push_back(7);
    EXPECT_TRUE(ParseKexInit(longer, lists));
}

// The first client entry the server also lists wins, per list and
// direction; the bug-compatible MAC replaces HMAC-SHA1 when asked.
TEST(SshKex, ChoosesFirstCommonEntry) {
    KexChoice choice;
    KexInit server = ServerLists();
    ASSERT_EQ(Choose(server, choice), "");
    EXPECT_EQ(choice.kex, &kKexDhGroupExchange);
    EXPECT_EQ(choice.host_key, "ssh-rsa");
    EXPECT_EQ(choice.cipher[0], &kCipherAes128);
    EXPECT_EQ(choice.mac[0], &kMacHmacSha1);
    EXPECT_EQ(choice.compression[0], &kCompressionNone);
    EXPECT_EQ(KexKeyBits(choice), 128u);
    EXPECT_EQ(GroupExchangePreferredBits(KexKeyBits(choice)), 1024u);

    server.lists[kListCipherServerToClient] = "3des-cbc";
    server.lists[kListKex] = "diffie-hellman-group1-sha1";
    server.lists[kListHostKey] = "ssh-dss";
    server.lists[kListMacServerToClient] = "hmac-sha1";
    ASSERT_EQ(Choose(server, choice, true), "");
    EXPECT_EQ(choice.kex, &kKexDhGroup1);
    EXPECT_EQ(choice.host_key, "ssh-dss");
    EXPECT_EQ(choice.cipher[0], &kCipherAes128);
    EXPECT_EQ(choice.cipher[1], &kCipher3Des);
    EXPECT_EQ(choice.mac[1], &kMacHmacSha1Buggy);
    EXPECT_EQ(KexKeyBits(choice), 160u);
    EXPECT_EQ(GroupExchangePreferredBits(160), 2048u);

    // Only triple DES on offer.
    server.lists[kListCipherClientToServer] = "3des-cbc";
    ASSERT_EQ(Choose(server, choice), "");
    EXPECT_EQ(choice.cipher[0], &kCipher3Des);
}

// No agreement ends with the texts the user sees; the server's list is
// shown verbatim, even when it looks like a format.
TEST(SshKex, NoAgreementTexts) {
    KexChoice choice;
    KexInit server = ServerLists();
    server.lists[kListCipherClientToServer] = server.lists[kListCipherServerToClient] = "des-cbc";
    EXPECT_EQ(Choose(server, choice), "Couldn't agree a client-to-server cipher (available: des-cbc)");

    server = ServerLists();
    server.lists[kListCipherServerToClient] = "";
    EXPECT_EQ(Choose(server, choice), "Couldn't agree a server-to-client cipher (available: (null))");
    server.lists[kListCipherServerToClient] = "%s%n%x,arcfour";
    EXPECT_EQ(Choose(server, choice), "Couldn't agree a server-to-client cipher (available: %s%n%x,arcfour)");

    server = ServerLists();
    server.lists[kListKex] = "curve25519-sha256,diffie-hellman-group-exchange-sha1x";
    EXPECT_EQ(Choose(server, choice),
              "Couldn't agree a key exchange algorithm (available: curve25519-sha256,"
              "diffie-hellman-group-exchange-sha1x)");
    server = ServerLists();
    server.lists[kListHostKey] = "ssh-ed25519";
    EXPECT_EQ(Choose(server, choice), "Couldn't agree a host key algorithm (available: ssh-ed25519)");
    server = ServerLists();
    server.lists[kListMacClientToServer] = "hmac-sha2-256";
    EXPECT_EQ(Choose(server, choice), "Couldn't agree a client-to-server MAC algorithm (available: hmac-sha2-256)");

    // Without the group exchange on our side, a server offering only that fails.
    server = ServerLists();
    server.lists[kListKex] = "diffie-hellman-group-exchange-sha1";
    std::string error;
    EXPECT_FALSE(ChooseAlgorithms(ClientLists({.group_exchange = false}), server, false, choice, error));
    EXPECT_NE(error.find("key exchange"), std::string::npos);
}

// The exchange hash (with the group-exchange request) and the six derived
// keys, with and without the secret, against the reference's SHA-1.
TEST(SshKex, HashAndKeysMatchReference) {
    std::mt19937 rng(4419);
    SeededRandom random(4);
    RandomSource src = random.Source();
    DhContext client, server;
    DhSetupGroup1(client);
    DhSetupGroup1(server);
    ExchangeHashInput in;
    ASSERT_TRUE(DhMakeE(client, 320, src, in.e));
    ASSERT_TRUE(DhMakeE(server, 320, src, in.f));
    ASSERT_TRUE(DhComputeK(client, in.f, in.k));
    Bignum k_server;
    ASSERT_TRUE(DhComputeK(server, in.e, k_server));
    EXPECT_EQ(BnCompare(in.k, k_server), 0);

    Bytes ckex = BuildClientKexInit({}, src), skex = RandomBytes(rng, 300), host = RandomBytes(rng, 151);
    in.client_version = "SSH-2.0-PuTTY-Local: Jan 22 2009 16:29:48";
    in.server_version = "SSH-2.0-OpenSSH_9.2p1 Debian-2";
    in.client_kexinit = ckex;
    in.server_kexinit = skex;
    in.host_key = host;
    in.group_exchange = true;
    in.min_bits = kGroupExchangeMinBits;
    in.preferred_bits = 2048;
    in.max_bits = kGroupExchangeMaxBits;
    in.p = client.p;
    in.g = client.g;
    uint8_t h[20], h_plain[20];
    ExchangeHash(in, h);
    in.group_exchange = false;
    ExchangeHash(in, h_plain);
    Bytes session_id = RandomBytes(rng, 20);

    KexChoice choice;
    ASSERT_EQ(Choose(ServerLists(), choice), "");
    std::string got;
    for (bool omit : {false, true}) {
        for (bool c2s : {true, false}) {
            PacketKeys keys;
            DerivePacketKeys(choice, c2s, in.k, h, session_id.data(), omit, keys);
            EXPECT_EQ(keys.cipher, choice.cipher[c2s ? 0 : 1]);
            got += ToHex(keys.iv.data(), 40) + " " + ToHex(keys.cipher_key.data(), 40) + " " +
                   ToHex(keys.mac_key.data(), 40) + "\n";
        }
    }
    std::string input;
    for (const Bytes& b : {FromText(std::string(in.client_version)), FromText(std::string(in.server_version)), ckex,
                           skex, host, Mpint(in.p), Mpint(in.g), Mpint(in.e), Mpint(in.f), Mpint(in.k), session_id})
        input += ToHex(b) + "\n";
    std::string out = RunPython(
        "import sys, hashlib, struct\n"
        "cv, sv, ck, sk, host, p, g, e, f, k, sid = (bytes.fromhex(l.strip()) for l in sys.stdin)\n"
        "s = lambda b: struct.pack('>I', len(b)) + b\n"
        "head = s(cv) + s(sv) + s(ck) + s(sk) + s(host)\n"
        "tail = e + f + k\n"
        "h = hashlib.sha1(head + struct.pack('>III', 1024, 2048, 8192) + p + g + tail).digest()\n"
        "print(h.hex())\n"
        "print(hashlib.sha1(head + tail).hexdigest())\n"
        "for kk in (k, b''):\n"
        "    for letters in ('ACE', 'BDF'):\n"
        "        out = []\n"
        "        for x in letters:\n"
        "            a = hashlib.sha1(kk + h + x.encode() + sid).digest()\n"
        "            out.append((a + hashlib.sha1(kk + h + a).digest())[:40].hex())\n"
        "        print(' '.join(out))\n",
        input);
    EXPECT_EQ(out, ToHex(h, 20) + "\n" + ToHex(h_plain, 20) + "\n" + got);
}

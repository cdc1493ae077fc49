#include <gtest/gtest.h>

#include "crypto_test_keys.h"
#include "ssh/crypto/hostkey.h"
#include "ssh/crypto/sha1.h"

using namespace vorto::crypto;
using namespace crypto_test;

namespace {

const char* kKeyArgs = "p, q, g, y, x = (int(v, 16) for v in line.split()[:5])\n";

std::string KeyFields(const DsaKey& key) {
    return BnToHex(key.p) + " " + BnToHex(key.q) + " " + BnToHex(key.g) + " " + BnToHex(key.y) + " " + BnToHex(key.x);
}

Bytes SignatureOf(const Bytes& blob) {
    WireReader r = WireReaderOf(blob);
    std::span<const uint8_t> name, sig;
    EXPECT_TRUE(WireGetString(r, name) && WireGetString(r, sig));
    return Bytes(sig.begin(), sig.end());
}

}  // namespace

// The reference accepts our signatures, and r is g^k mod p mod q for the k
// that the deterministic rule derives (recomputed independently in Python).
TEST(CryptoDsa, SignaturesVerifyWithReferenceAndUseDerivedK) {
    DsaKey key = TestDsaKey();
    std::mt19937 rng(1862);
    std::string input;
    for (int i = 0; i < 8; ++i) {
        Bytes message = RandomBytes(rng, rng() % 300), blob;
        ASSERT_TRUE(DsaSignSha1(key, message, blob));
        EXPECT_TRUE(DsaVerifySha1(key, blob, message));
        Bytes sig = SignatureOf(blob);
        ASSERT_EQ(sig.size(), 40u);
        input += KeyFields(key) + " x" + ToHex(message) + " " + ToHex(sig) + "\n";
    }
    std::string out = RunPython(std::string("import sys, hashlib\n"
                                            "from cryptography.hazmat.primitives.asymmetric import dsa, utils\n"
                                            "from cryptography.hazmat.primitives import hashes\n"
                                            "def mpint(v):\n"
                                            "    b = v.to_bytes((v.bit_length() + 8) // 8, 'big') if v else b''\n"
                                            "    return len(b).to_bytes(4, 'big') + b\n"
                                            "for line in sys.stdin:\n    ") +
                                    kKeyArgs +
                                    "    m = bytes.fromhex(line.split()[5][1:]); sig = bytes.fromhex(line.split()[6])\n"
                                    "    r, s = int.from_bytes(sig[:20], 'big'), int.from_bytes(sig[20:], 'big')\n"
                                    "    pub = dsa.DSAPublicNumbers(y, dsa.DSAParameterNumbers(p, q, g)).public_key()\n"
                                    "    pub.verify(utils.encode_dss_signature(r, s), m, hashes.SHA1())\n"
                                    "    seed = hashlib.sha512(b'DSA deterministic k generator\\0' + mpint(x)).digest()\n"
                                    "    k = int.from_bytes(hashlib.sha512(seed + hashlib.sha1(m).digest()).digest(), 'big') % q\n"
                                    "    print('ok' if pow(g, k, p) % q == r else 'wrong k')\n",
                                input);
    EXPECT_EQ(Lines(out), std::vector<std::string>(8, "ok"));
}

TEST(CryptoDsa, ReferenceSignaturesVerify) {
    DsaKey key = TestDsaKey();
    std::string input;
    std::vector<Bytes> messages;
    for (int i = 0; i < 6; ++i) {
        messages.push_back(FromText("message number " + std::to_string(i)));
        input += KeyFields(key) + " " + ToHex(messages.back()) + "\n";
    }
    std::string out = RunPython(std::string("import sys\n"
                                            "from cryptography.hazmat.primitives.asymmetric import dsa, utils\n"
                                            "from cryptography.hazmat.primitives import hashes\n"
                                            "for line in sys.stdin:\n    ") +
                                    kKeyArgs +
                                    "    m = bytes.fromhex(line.split()[5])\n"
                                    "    pn = dsa.DSAPublicNumbers(y, dsa.DSAParameterNumbers(p, q, g))\n"
                                    "    r, s = utils.decode_dss_signature(dsa.DSAPrivateNumbers(x, pn).private_key()"
                                    ".sign(m, hashes.SHA1()))\n"
                                    "    print((r.to_bytes(20, 'big') + s.to_bytes(20, 'big')).hex())\n",
                                input);
    auto sigs = Lines(out);
    ASSERT_EQ(sigs.size(), messages.size());
    for (size_t i = 0; i < sigs.size(); ++i) {
        Bytes blob;
        WirePutString(blob, "ssh-dss");
        WirePutString(blob, FromHex(sigs[i]));
        EXPECT_TRUE(DsaVerifySha1(key, blob, messages[i]));
        EXPECT_FALSE(DsaVerifySha1(key, blob, FromText("other")));
    }
}

TEST(CryptoDsa, SameDataSameSignature) {
    DsaKey key = TestDsaKey();
    Bytes a, b, c;
    ASSERT_TRUE(DsaSignSha1(key, FromText("session id and request"), a));
    ASSERT_TRUE(DsaSignSha1(key, FromText("session id and request"), b));
    ASSERT_TRUE(DsaSignSha1(key, FromText("session id and requesT"), c));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(CryptoDsa, VerifyRejectsMalformedSignatures) {
    DsaKey key = TestDsaKey();
    Bytes message = FromText("m"), blob;
    ASSERT_TRUE(DsaSignSha1(key, message, blob));
    Bytes sig = SignatureOf(blob);
    auto with = [](const Bytes& s, const char* name = "ssh-dss") {
        Bytes b;
        WirePutString(b, name);
        WirePutString(b, s);
        return b;
    };
    EXPECT_FALSE(DsaVerifySha1(key, with(sig, "ssh-rsa"), message));
    EXPECT_FALSE(DsaVerifySha1(key, with(Bytes(sig.begin(), sig.end() - 1)), message));
    EXPECT_FALSE(DsaVerifySha1(key, with(Bytes(40, 0)), message));  // r = s = 0
    std::vector<uint8_t> q_bytes;
    BnToBytes(key.q, 20, q_bytes);
    Bytes r_is_q = q_bytes;
    r_is_q.insert(r_is_q.end(), sig.begin() + 20, sig.end());
    EXPECT_FALSE(DsaVerifySha1(key, with(r_is_q), message));
    EXPECT_FALSE(DsaVerifySha1(key, Bytes(blob.begin(), blob.begin() + 10), message));
}

TEST(CryptoDsa, KeyRecordBlobsTextAndChecks) {
    DsaKey key = TestDsaKey();
    const SshKeyAlgorithm* alg = FindKeyAlgorithm("ssh-dss");
    ASSERT_EQ(alg, &kKeyDss);
    EXPECT_STREQ(alg->cache_type, "dss");
    Bytes pub = DsaPublicBlob(key), priv = DsaPrivateBlob(key);
    void* k = alg->from_blobs(pub, priv);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(alg->key_text(k),
              "0x" + BnToHex(key.p) + ",0x" + BnToHex(key.q) + ",0x" + BnToHex(key.g) + ",0x" + BnToHex(key.y));
    EXPECT_EQ(alg->public_blob_bits(pub), 1024);
    EXPECT_EQ(alg->fingerprint(k).substr(0, 13), "ssh-dss 1024 ");
    EXPECT_EQ(alg->fingerprint(k).size(), 13u + 47u);
    Bytes openssh;
    alg->write_openssh_private(k, openssh);
    WireReader r = WireReaderOf(openssh);
    void* again = alg->from_openssh_private(r);
    ASSERT_NE(again, nullptr);
    Bytes sig;
    ASSERT_TRUE(alg->sign(again, FromText("x"), 0, sig));
    EXPECT_TRUE(alg->verify(k, sig, FromText("x")));
    // x that does not give y, and parameters that do not form a group.
    DsaKey wrong = key;
    wrong.x = BnAdd(key.x, BnFromUint(1));
    EXPECT_EQ(alg->from_blobs(pub, DsaPrivateBlob(wrong)), nullptr);
    DsaKey bad_q = key;
    bad_q.q = BnAdd(key.q, BnFromUint(2));
    EXPECT_EQ(alg->from_public_blob(DsaPublicBlob(bad_q)), nullptr);
    DsaKey bad_g = key;
    bad_g.g = BnFromUint(1);
    EXPECT_EQ(alg->from_public_blob(DsaPublicBlob(bad_g)), nullptr);
    alg->free_key(k);
    alg->free_key(again);
}

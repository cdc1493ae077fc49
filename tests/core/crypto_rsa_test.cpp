#include <gtest/gtest.h>

#include "crypto_test_keys.h"
#include "ssh/crypto/hostkey.h"
#include "ssh/crypto/md5.h"

using namespace vorto::crypto;
using namespace crypto_test;

namespace {

Bytes SignatureOf(const Bytes& blob) {
    WireReader r = WireReaderOf(blob);
    std::span<const uint8_t> name, sig;
    EXPECT_TRUE(WireGetString(r, name) && WireGetString(r, sig));
    return Bytes(sig.begin(), sig.end());
}

}  // namespace

// PKCS #1 v1.5 is deterministic, so our signatures must equal the
// reference's byte for byte (padded form), for both key sizes.
TEST(CryptoRsa, SignaturesMatchReference) {
    std::mt19937 rng(3447);
    std::string input;
    std::vector<std::string> got;
    for (int bits : {1024, 2048}) {
        RsaKey key = TestRsaKey(bits);
        ASSERT_TRUE(RsaCheckPrivate(key));
        for (int i = 0; i < 6; ++i) {
            Bytes message = RandomBytes(rng, rng() % 200), blob;
            ASSERT_TRUE(RsaSignSha1(key, message, true, blob));
            EXPECT_TRUE(RsaVerifySha1(key, blob, message));
            got.push_back(ToHex(SignatureOf(blob)));
            input += BnToHex(key.modulus) + " " + BnToHex(key.exponent) + " " + BnToHex(key.private_exponent) + " " +
                     BnToHex(key.p) + " " + BnToHex(key.q) + " x" + ToHex(message) + "\n";
        }
    }
    std::string out = RunPython(
        "import sys\n"
        "from cryptography.hazmat.primitives.asymmetric import rsa, padding\n"
        "from cryptography.hazmat.primitives import hashes\n"
        "for line in sys.stdin:\n"
        "    n, e, d, p, q, m = line.split(); n, e, d, p, q = (int(v, 16) for v in (n, e, d, p, q))\n"
        "    priv = rsa.RSAPrivateNumbers(p, q, d, d % (p - 1), d % (q - 1), pow(q, -1, p),\n"
        "                                 rsa.RSAPublicNumbers(e, n)).private_key()\n"
        "    print(priv.sign(bytes.fromhex(m[1:]), padding.PKCS1v15(), hashes.SHA1()).hex())\n",
        input);
    EXPECT_EQ(Lines(out), got);
}

// Blinding and the prime shortcut must not change the result: the private
// operation equals the plain exponentiation, with and without the primes.
TEST(CryptoRsa, PrivateOperationEqualsPlainExponentiation) {
    std::mt19937 rng(65537);
    RsaKey key = TestRsaKey(1024), no_primes = key;
    no_primes.p = no_primes.q = no_primes.iqmp = Bignum{};
    for (int i = 0; i < 8; ++i) {
        Bignum input, plain, blinded, blinded_no_primes;
        BnMod(BnFromBytes(RandomBytes(rng, 128)), key.modulus, input);
        ASSERT_TRUE(BnModPow(input, key.private_exponent, key.modulus, plain));
        ASSERT_TRUE(RsaPrivateOp(key, input, blinded));
        ASSERT_TRUE(RsaPrivateOp(no_primes, input, blinded_no_primes));
        EXPECT_EQ(BnCompare(blinded, plain), 0);
        EXPECT_EQ(BnCompare(blinded_no_primes, plain), 0);
    }
    Bignum out;
    EXPECT_FALSE(RsaPrivateOp(key, key.modulus, out));
    RsaKey public_only;
    public_only.modulus = key.modulus;
    public_only.exponent = key.exponent;
    EXPECT_FALSE(RsaPrivateOp(public_only, BnFromUint(5), out));
    // Degenerate moduli fail at once instead of searching for a blinding value.
    RsaKey tiny = key;
    for (uint64_t n : {1, 2, 3, 32767}) {
        tiny.modulus = BnFromUint(n);
        EXPECT_FALSE(RsaPrivateOp(tiny, Bignum{}, out)) << n;
    }
}

// Without the padding option a signature loses its leading zero bytes; with
// it, it keeps the modulus length. Both verify.
TEST(CryptoRsa, PaddedSignatureQuirk) {
    RsaKey key = TestRsaKey(1024);
    size_t modulus_bytes = 128;
    bool found = false;
    for (uint32_t i = 0; i < 5000 && !found; ++i) {
        Bytes message = FromText("message " + std::to_string(i)), padded, plain;
        ASSERT_TRUE(RsaSignSha1(key, message, true, padded));
        if (SignatureOf(padded)[0] != 0) continue;
        found = true;
        ASSERT_TRUE(RsaSignSha1(key, message, false, plain));
        EXPECT_EQ(SignatureOf(padded).size(), modulus_bytes);
        EXPECT_LT(SignatureOf(plain).size(), modulus_bytes);
        EXPECT_TRUE(RsaVerifySha1(key, padded, message));
        EXPECT_TRUE(RsaVerifySha1(key, plain, message));
    }
    EXPECT_TRUE(found);
}

TEST(CryptoRsa, VerifyRejectsForgeries) {
    RsaKey key = TestRsaKey(1024);
    Bytes message = FromText("exchange hash"), blob;
    ASSERT_TRUE(RsaSignSha1(key, message, true, blob));
    EXPECT_FALSE(RsaVerifySha1(key, blob, FromText("exchange hasH")));
    for (size_t i : {size_t(4), size_t(11), blob.size() - 1}) {
        Bytes bad = blob;
        bad[i] ^= 0x10;
        EXPECT_FALSE(RsaVerifySha1(key, bad, message)) << i;
    }
    EXPECT_FALSE(RsaVerifySha1(key, Bytes(blob.begin(), blob.end() - 1), message));
    // A signature value not below the modulus.
    Bytes huge;
    WirePutString(huge, "ssh-rsa");
    WirePutString(huge, Bytes(129, 0xff));
    EXPECT_FALSE(RsaVerifySha1(key, huge, message));
    // The raw value 1 is a valid PKCS #1 block for no message.
    Bytes one;
    WirePutString(one, "ssh-rsa");
    WirePutString(one, Bytes{1});
    EXPECT_FALSE(RsaVerifySha1(key, one, message));
}

// The reference's private key recovers the session key from our SSH-1
// encryption; the padding is random and never zero.
TEST(CryptoRsa, Ssh1SessionKeyEncryption) {
    RsaKey key = TestRsaKey(1024);
    SeededRandom random(1);
    RandomSource source = random.Source();
    std::mt19937 rng(2);
    std::string input;
    std::vector<std::string> want;
    for (int i = 0; i < 5; ++i) {
        Bytes session = RandomBytes(rng, 32);
        Bignum c, m;
        ASSERT_TRUE(RsaSsh1Encrypt(key, session, source, c));
        BnModPow(c, key.private_exponent, key.modulus, m);
        std::vector<uint8_t> em;
        ASSERT_TRUE(BnToBytes(m, 128, em));
        EXPECT_EQ(em[0], 0);
        EXPECT_EQ(em[1], 2);
        EXPECT_EQ(std::count(em.begin() + 2, em.end() - 33, 0), 0);
        input += BnToHex(key.modulus) + " " + BnToHex(key.exponent) + " " + BnToHex(key.private_exponent) + " " +
                 BnToHex(key.p) + " " + BnToHex(key.q) + " " + ToHex(BnToBytes(c)) + "\n";
        want.push_back(ToHex(session));
    }
    std::string out = RunPython(
        "import sys\n"
        "from cryptography.hazmat.primitives.asymmetric import rsa, padding\n"
        "for line in sys.stdin:\n"
        "    n, e, d, p, q, c = line.split(); n, e, d, p, q = (int(v, 16) for v in (n, e, d, p, q))\n"
        "    priv = rsa.RSAPrivateNumbers(p, q, d, d % (p - 1), d % (q - 1), pow(q, -1, p),\n"
        "                                 rsa.RSAPublicNumbers(e, n)).private_key()\n"
        "    print(priv.decrypt(bytes.fromhex(c).rjust(128, b'\\0'), padding.PKCS1v15()).hex())\n",
        input);
    EXPECT_EQ(Lines(out), want);
    Bignum c;
    EXPECT_FALSE(RsaSsh1Encrypt(key, Bytes(118, 1), source, c));
    EXPECT_TRUE(RsaSsh1Encrypt(key, Bytes(117, 1), source, c));
}

TEST(CryptoRsa, KeyRecordBlobsTextAndFingerprint) {
    RsaKey key = TestRsaKey(2048);
    const SshKeyAlgorithm* alg = FindKeyAlgorithm("ssh-rsa");
    ASSERT_EQ(alg, &kKeyRsa);
    EXPECT_STREQ(alg->cache_type, "rsa2");
    Bytes pub = RsaPublicBlob(key), priv = RsaPrivateBlob(key);
    void* k = alg->from_blobs(pub, priv);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(alg->public_blob(k), pub);
    EXPECT_EQ(alg->private_blob(k), priv);
    EXPECT_EQ(alg->public_blob_bits(pub), 2048);
    EXPECT_EQ(alg->key_text(k), "0x10001,0x" + BnToHex(key.modulus));

    uint8_t md5[16];
    Md5Once(pub.data(), pub.size(), md5);
    std::string colons;
    for (int i = 0; i < 16; ++i) colons += (i ? ":" : "") + ToHex(md5 + i, 1);
    EXPECT_EQ(alg->fingerprint(k), "ssh-rsa 2048 " + colons);

    Bytes sig;
    ASSERT_TRUE(alg->sign(k, FromText("data"), 0, sig));
    void* pub_only = alg->from_public_blob(pub);
    EXPECT_TRUE(alg->verify(pub_only, sig, FromText("data")));
    EXPECT_FALSE(alg->sign(pub_only, FromText("data"), 0, sig));

    Bytes openssh;
    alg->write_openssh_private(k, openssh);
    WireReader r = WireReaderOf(openssh);
    void* again = alg->from_openssh_private(r);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(alg->private_blob(again), priv);

    // A private half of another key is refused.
    EXPECT_EQ(alg->from_blobs(pub, RsaPrivateBlob(TestRsaKey(1024))), nullptr);
    EXPECT_EQ(alg->from_public_blob(Bytes(pub.begin(), pub.end() - 1)), nullptr);
    EXPECT_EQ(alg->public_blob_bits(DsaPublicBlob(TestDsaKey())), -1);
    // A modulus beyond the size limit would only make verification slow.
    RsaKey huge = key;
    for (int i = 0; i < 8; ++i) huge.modulus = BnMul(huge.modulus, key.modulus);  // odd, 18432 bits
    EXPECT_GT(BnBitCount(huge.modulus), kMaxModulusBits);
    EXPECT_EQ(alg->from_public_blob(RsaPublicBlob(huge)), nullptr);
    alg->free_key(k);
    alg->free_key(pub_only);
    alg->free_key(again);
}

// A forged private half with enormous primes is refused on their sizes,
// before any product of them is formed (that product would stall the
// worker that loads the key file).
TEST(CryptoRsa, ForgedHugePrivateNumbersAreRefusedOnTheirSize) {
    RsaKey key = TestRsaKey(1024);
    Bytes pub = RsaPublicBlob(key);
    RsaKey forged = key;
    const unsigned huge_bits = 4000000;
    for (Bignum* n : {&forged.p, &forged.q}) {
        *n = BnZeroOfBits(huge_bits + 1);
        BnSetBit(*n, huge_bits, 1);
        BnSetBit(*n, 0, 1);
    }
    RsaKey out;
    EXPECT_FALSE(RsaFromBlobs(pub, RsaPrivateBlob(forged), out));
    // A private exponent longer than the modulus, or iqmp not below p, is no key either.
    forged = key;
    forged.private_exponent = BnMul(key.private_exponent, key.modulus);
    EXPECT_FALSE(RsaFromBlobs(pub, RsaPrivateBlob(forged), out));
    forged = key;
    forged.iqmp = BnAdd(key.iqmp, key.p);
    EXPECT_FALSE(RsaFromBlobs(pub, RsaPrivateBlob(forged), out));
    EXPECT_TRUE(RsaFromBlobs(pub, RsaPrivateBlob(key), out));
}

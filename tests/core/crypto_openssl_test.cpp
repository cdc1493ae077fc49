// RSA and DSA against the openssl command-line tool: keys it generates
// afresh each run, signatures it makes checked by our code, and ours checked
// by it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "crypto_test_keys.h"
#include "ssh/crypto/dsa.h"
#include "ssh/crypto/rsa.h"

using namespace vorto::crypto;
using namespace crypto_test;

namespace {

struct Output {
    int status = -1;
    std::string text;
};

Output RunCommand(const std::string& command) {
    Output out;
    if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.text.append(buf, n);
        int status = pclose(p);
        out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return out;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The numbers of `openssl pkey -text`: a "name:" line followed by indented
// lines of colon-separated hex bytes, or "name: 65537 (0x10001)".
std::map<std::string, Bignum> KeyNumbers(const std::string& text) {
    std::map<std::string, std::string> hex;
    std::string current;
    for (const std::string& line : Lines(text)) {
        if (line.empty()) continue;
        if (line[0] != ' ') {
            size_t colon = line.find(':');
            current = line.substr(0, colon);
            size_t paren = line.find("(0x");
            if (paren != std::string::npos) hex[current] = line.substr(paren + 3, line.find(')', paren) - paren - 3);
            continue;
        }
        for (char c : line)
            if (std::isxdigit(static_cast<unsigned char>(c))) hex[current] += c;
    }
    std::map<std::string, Bignum> numbers;
    for (const auto& [name, digits] : hex) BnFromHex(digits, numbers[name]);
    return numbers;
}

// DER SEQUENCE { INTEGER r, INTEGER s } to and from the 40 bytes of r || s.
Bytes DerFromRaw(const Bytes& raw) {
    Bytes body;
    for (size_t half = 0; half < 2; ++half) {
        Bytes n(raw.begin() + 20 * half, raw.begin() + 20 * (half + 1));
        while (n.size() > 1 && n[0] == 0 && !(n[1] & 0x80)) n.erase(n.begin());
        if (n[0] & 0x80) n.insert(n.begin(), 0);
        body.push_back(0x02);
        body.push_back(uint8_t(n.size()));
        body.insert(body.end(), n.begin(), n.end());
    }
    Bytes der{0x30, uint8_t(body.size())};
    der.insert(der.end(), body.begin(), body.end());
    return der;
}

bool RawFromDer(const Bytes& der, Bytes& raw) {
    raw.clear();
    if (der.size() < 2 || der[0] != 0x30 || der[1] != der.size() - 2) return false;
    size_t pos = 2;
    for (int half = 0; half < 2; ++half) {
        if (pos + 2 > der.size() || der[pos] != 0x02) return false;
        size_t len = der[pos + 1];
        pos += 2;
        if (pos + len > der.size()) return false;
        std::vector<uint8_t> n;
        if (!BnToBytes(BnFromBytes({der.data() + pos, len}), 20, n)) return false;
        raw.insert(raw.end(), n.begin(), n.end());
        pos += len;
    }
    return pos == der.size();
}

Bytes SignatureOf(const Bytes& blob) {
    WireReader r = WireReaderOf(blob);
    std::span<const uint8_t> name, sig;
    EXPECT_TRUE(WireGetString(r, name) && WireGetString(r, sig));
    return Bytes(sig.begin(), sig.end());
}

Bytes BlobOf(const char* name, const Bytes& signature) {
    Bytes blob;
    WirePutString(blob, name);
    WirePutString(blob, signature);
    return blob;
}

class CryptoOpenssl : public ::testing::Test {
protected:
    void SetUp() override {
        if (RunCommand("openssl version").status != 0) GTEST_SKIP() << "no openssl command";
        char dir[] = "/tmp/vorto_openssl_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
    }
    void TearDown() override {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // Generates a key (with `params` first when given) and returns its numbers.
    std::map<std::string, Bignum> Generate(const std::string& name, const std::string& genpkey_options) {
        Output gen = RunCommand("openssl genpkey " + genpkey_options + " -out " + Path(name + ".pem"));
        EXPECT_EQ(gen.status, 0) << gen.text;
        Output pub = RunCommand("openssl pkey -in " + Path(name + ".pem") + " -pubout -out " + Path(name + ".pub"));
        EXPECT_EQ(pub.status, 0) << pub.text;
        Output text = RunCommand("openssl pkey -in " + Path(name + ".pem") + " -noout -text");
        EXPECT_EQ(text.status, 0) << text.text;
        return KeyNumbers(text.text);
    }

    // openssl's SHA-1 signature of `message` in its own encoding.
    Bytes OpensslSign(const std::string& key, const Bytes& message) {
        WriteBytes(Path("message"), message);
        Output out = RunCommand("openssl dgst -sha1 -sign " + Path(key + ".pem") + " -out " + Path("sig") + " " + Path("message"));
        EXPECT_EQ(out.status, 0) << out.text;
        return ReadBytes(Path("sig"));
    }

    bool OpensslVerifies(const std::string& key, const Bytes& message, const Bytes& signature) {
        WriteBytes(Path("message"), message);
        WriteBytes(Path("sig"), signature);
        Output out = RunCommand("openssl dgst -sha1 -verify " + Path(key + ".pub") + " -signature " + Path("sig") + " " +
                         Path("message"));
        return out.status == 0 && out.text.find("Verified OK") != std::string::npos;
    }

    std::string dir_;
};

std::vector<Bytes> Messages(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<Bytes> messages{Bytes{}, FromText("exchange hash")};
    for (size_t length : {1, 63, 64, 65, 1000}) messages.push_back(RandomBytes(rng, length));
    return messages;
}

}  // namespace

TEST_F(CryptoOpenssl, Rsa2048SignaturesBothWays) {
    auto n = Generate("rsa", "-algorithm RSA -pkeyopt rsa_keygen_bits:2048");
    RsaKey key{n["modulus"], n["publicExponent"], n["privateExponent"], n["prime1"], n["prime2"], n["coefficient"]};
    ASSERT_EQ(BnBitCount(key.modulus), 2048u);
    ASSERT_TRUE(RsaCheckPrivate(key));
    RsaKey from_blobs;
    ASSERT_TRUE(RsaFromBlobs(RsaPublicBlob(key), RsaPrivateBlob(key), from_blobs));

    for (const Bytes& message : Messages(2048)) {
        Bytes theirs = OpensslSign("rsa", message);
        ASSERT_EQ(theirs.size(), 256u);
        EXPECT_TRUE(RsaVerifySha1(key, BlobOf("ssh-rsa", theirs), message));
        Bytes altered = message;
        altered.push_back(0);
        EXPECT_FALSE(RsaVerifySha1(key, BlobOf("ssh-rsa", theirs), altered));

        Bytes blob;
        ASSERT_TRUE(RsaSignSha1(key, message, true, blob));
        Bytes ours = SignatureOf(blob);
        // PKCS #1 v1.5 leaves no choice: the two must be the same bytes.
        EXPECT_EQ(ours, theirs);
        EXPECT_TRUE(OpensslVerifies("rsa", message, ours));
        EXPECT_FALSE(OpensslVerifies("rsa", altered, ours));
    }

    // The blinded private operation with the prime shortcut, on a key we did
    // not make ourselves, equals the plain exponentiation.
    std::mt19937 rng(7);
    for (int i = 0; i < 3; ++i) {
        Bignum input, plain, blinded;
        BnMod(BnFromBytes(RandomBytes(rng, 256)), key.modulus, input);
        ASSERT_TRUE(BnModPow(input, key.private_exponent, key.modulus, plain));
        ASSERT_TRUE(RsaPrivateOp(key, input, blinded));
        EXPECT_EQ(BnCompare(blinded, plain), 0);
    }
}

TEST_F(CryptoOpenssl, DsaSignaturesBothWays) {
    for (int bits : {1024, 2048}) {
        SCOPED_TRACE(bits);
        std::string name = "dsa" + std::to_string(bits);
        Output params = RunCommand("openssl genpkey -genparam -algorithm DSA -pkeyopt dsa_paramgen_bits:" +
                            std::to_string(bits) + " -pkeyopt dsa_paramgen_q_bits:160 -out " + Path(name + ".param"));
        ASSERT_EQ(params.status, 0) << params.text;
        auto n = Generate(name, "-paramfile " + Path(name + ".param"));
        DsaKey key{n["P"], n["Q"], n["G"], n["pub"], n["priv"]};
        ASSERT_EQ(BnBitCount(key.p), unsigned(bits));
        ASSERT_EQ(BnBitCount(key.q), 160u);
        DsaKey from_blobs;
        ASSERT_TRUE(DsaFromBlobs(DsaPublicBlob(key), DsaPrivateBlob(key), from_blobs));

        for (const Bytes& message : Messages(bits)) {
            Bytes raw;
            ASSERT_TRUE(RawFromDer(OpensslSign(name, message), raw));
            EXPECT_TRUE(DsaVerifySha1(key, BlobOf("ssh-dss", raw), message));
            Bytes altered = message;
            altered.push_back(1);
            EXPECT_FALSE(DsaVerifySha1(key, BlobOf("ssh-dss", raw), altered));

            Bytes blob, again;
            ASSERT_TRUE(DsaSignSha1(key, message, blob));
            ASSERT_TRUE(DsaSignSha1(key, message, again));
            EXPECT_EQ(blob, again);
            Bytes ours = SignatureOf(blob);
            ASSERT_EQ(ours.size(), 40u);
            EXPECT_TRUE(OpensslVerifies(name, message, DerFromRaw(ours)));
            EXPECT_FALSE(OpensslVerifies(name, altered, DerFromRaw(ours)));
        }
    }
}

#include <gtest/gtest.h>

#include "crypto_test_support.h"
#include "ssh/crypto/md5.h"
#include "ssh/crypto/sha1.h"
#include "ssh/crypto/sha512.h"

using namespace vorto::crypto;
using namespace crypto_test;

namespace {

// Adapts each hash to one shape so the known answers run the same four ways.
template <typename Ctx, size_t kLen, void (*Start)(Ctx&), void (*Add)(Ctx&, const void*, size_t),
          void (*Finish)(Ctx&, uint8_t*)>
struct HashUnderTest {
    static constexpr size_t kLength = kLen;
    static Bytes OneShot(const Bytes& m) {
        Ctx c;
        Start(c);
        Add(c, m.data(), m.size());
        Bytes d(kLen);
        Finish(c, d.data());
        return d;
    }
    static Bytes ByteAtATime(const Bytes& m) {
        Ctx c;
        Start(c);
        for (uint8_t b : m) Add(c, &b, 1);
        Bytes d(kLen);
        Finish(c, d.data());
        return d;
    }
    static Bytes Split(const Bytes& m, size_t at) {
        Ctx c;
        Start(c);
        Add(c, m.data(), at);
        Add(c, m.data() + at, m.size() - at);
        Bytes d(kLen);
        Finish(c, d.data());
        return d;
    }
    // Finishing a copy taken mid-stream must not disturb the original.
    static Bytes FromCopy(const Bytes& m, size_t at) {
        Ctx c;
        Start(c);
        Add(c, m.data(), at);
        Ctx copy = c;
        Bytes scratch(kLen);
        Finish(c, scratch.data());
        Add(copy, m.data() + at, m.size() - at);
        Bytes d(kLen);
        Finish(copy, d.data());
        return d;
    }
};

using Sha1Test = HashUnderTest<Sha1, kSha1Length, Sha1Start, Sha1Add, Sha1Finish>;
using Sha512Test = HashUnderTest<Sha512, kSha512Length, Sha512Start, Sha512Add, Sha512Finish>;
using Md5Test = HashUnderTest<Md5, kMd5Length, Md5Start, Md5Add, Md5Finish>;

template <typename H>
void CheckKnownAnswers(const char* file) {
    auto records = ReadVectors(file);
    ASSERT_FALSE(records.empty()) << file;
    for (const Record& r : records) {
        Bytes m = FieldBytes(r, "message");
        std::string want = r.at("digest");
        EXPECT_EQ(ToHex(H::OneShot(m)), want) << file << " len " << m.size();
        if (m.size() > 1000) {  // the million-byte messages: a few splits only
            EXPECT_EQ(ToHex(H::Split(m, 12345)), want);
            EXPECT_EQ(ToHex(H::FromCopy(m, 500001)), want);
            continue;
        }
        EXPECT_EQ(ToHex(H::ByteAtATime(m)), want);
        for (size_t at = 0; at <= m.size(); ++at) {
            EXPECT_EQ(ToHex(H::Split(m, at)), want) << "split at " << at;
            EXPECT_EQ(ToHex(H::FromCopy(m, at)), want) << "copy at " << at;
        }
    }
}

}  // namespace

TEST(CryptoHash, KnownAnswersFourWays) {
    CheckKnownAnswers<Sha1Test>("sha1.txt");
    CheckKnownAnswers<Sha512Test>("sha512.txt");
    CheckKnownAnswers<Md5Test>("md5.txt");
}

// Lengths around every block and padding boundary, against Python's hashlib.
TEST(CryptoHash, RandomMessagesMatchReference) {
    std::mt19937 rng(1950);
    std::vector<Bytes> messages;
    for (size_t n = 0; n <= 300; ++n) messages.push_back(RandomBytes(rng, n));
    for (int i = 0; i < 20; ++i) messages.push_back(RandomBytes(rng, rng() % 20000));
    std::string input;
    for (const Bytes& m : messages) input += ToHex(m) + "\n";
    std::string out = RunPython(
        "import sys, hashlib\n"
        "for line in sys.stdin:\n"
        "    m = bytes.fromhex(line.strip())\n"
        "    print(hashlib.sha1(m).hexdigest(), hashlib.sha512(m).hexdigest(), hashlib.md5(m).hexdigest())\n",
        input);
    auto lines = Lines(out);
    ASSERT_EQ(lines.size(), messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        std::string want = lines[i];
        std::string got = ToHex(Sha1Test::OneShot(messages[i])) + " " + ToHex(Sha512Test::OneShot(messages[i])) +
                          " " + ToHex(Md5Test::OneShot(messages[i]));
        EXPECT_EQ(got, want) << "length " << messages[i].size();
    }
}

// The bare compression function is what the whole hash runs per block: the
// hash of one padded block equals one compression from the initial state.
TEST(CryptoHash, Sha1CompressIsOneBlockOfTheHash) {
    uint8_t block[64] = {'a', 'b', 'c', 0x80};
    block[63] = 24;  // bit length of "abc"
    uint8_t digest[20] = {0x67, 0x45, 0x23, 0x01, 0xef, 0xcd, 0xab, 0x89, 0x98, 0xba,
                          0xdc, 0xfe, 0x10, 0x32, 0x54, 0x76, 0xc3, 0xd2, 0xe1, 0xf0};
    Sha1CompressBytes(digest, block);
    EXPECT_EQ(ToHex(digest, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

#include <gtest/gtest.h>

#include "crypto_test_support.h"
#include "ssh/crypto/compression.h"
#include "ssh/crypto/inflate.h"

using namespace vorto::crypto;
using namespace crypto_test;

namespace {

// Packets of the kinds a session sends: repeated text, runs, random bytes,
// tiny and near the largest size.
std::vector<Bytes> SamplePackets(std::mt19937& rng, int count) {
    std::vector<Bytes> packets;
    const std::string text = "drwxr-xr-x    2 user group     4096 Dec  8 15:27 folder name\n";
    for (int i = 0; i < count; ++i) {
        Bytes p;
        size_t size = i % 7 == 0 ? 30000 + rng() % 5000 : 1 + rng() % 3000;
        switch (i % 4) {
            case 0: while (p.size() < size) p.insert(p.end(), text.begin(), text.end()); break;
            case 1: p = RandomBytes(rng, size); break;
            case 2: p.assign(size, uint8_t(rng())); break;
            default:
                for (size_t k = 0; k < size; ++k) p.push_back(uint8_t('a' + rng() % 4));
        }
        p.resize(size);
        packets.push_back(p);
    }
    return packets;
}

struct Compressor {
    void* ctx = kCompressionZlib.compress_start();
    ~Compressor() { kCompressionZlib.compress_end(ctx); }
    Bytes Packet(const Bytes& p) {
        Bytes out;
        EXPECT_TRUE(kCompressionZlib.compress(ctx, p.data(), p.size(), out));
        return out;
    }
};

struct Decompressor {
    void* ctx = kCompressionZlib.decompress_start();
    ~Decompressor() { kCompressionZlib.decompress_end(ctx); }
    bool Packet(const Bytes& in, Bytes& out) {
        out.clear();
        return kCompressionZlib.decompress(ctx, in.data(), in.size(), out);
    }
};

}  // namespace

// Each of our packets decompresses completely on its own in the reference
// (no bytes held back), with references into earlier packets; a packet sent
// with compression disabled costs exactly the announced overhead.
TEST(CryptoZlib, OurPacketsDecompressInReference) {
    std::mt19937 rng(1950);
    std::vector<Bytes> packets = SamplePackets(rng, 40);
    Compressor c;
    std::string input;
    size_t plain_total = 0, packed_total = 0;
    for (size_t i = 0; i < packets.size(); ++i) {
        Bytes packed;
        if (i == 0 || i == 17) {
            int overhead = kCompressionZlib.disable_compression(c.ctx);
            packed = c.Packet(packets[i]);
            EXPECT_EQ(packed.size(), packets[i].size() + size_t(overhead)) << i;
        } else {
            packed = c.Packet(packets[i]);
        }
        plain_total += packets[i].size();
        packed_total += packed.size();
        input += ToHex(packed) + "\n";
    }
    EXPECT_LT(packed_total, plain_total / 2);
    std::string out = RunPython(
        "import sys, zlib\n"
        "d = zlib.decompressobj()\n"
        "for line in sys.stdin:\n"
        "    print(d.decompress(bytes.fromhex(line.strip())).hex())\n",
        input);
    auto lines = Lines(out);
    ASSERT_EQ(lines.size(), packets.size());
    for (size_t i = 0; i < packets.size(); ++i) EXPECT_EQ(lines[i], ToHex(packets[i])) << "packet " << i;
}

// The reference's streams with dynamic and fixed blocks, flushed the two
// ways peers do (byte-aligned sync flush, and partial flush, which leaves
// the stream mid-byte between packets); decoded per packet, and once more
// fed a byte at a time.
TEST(CryptoZlib, ReferencePacketsDecompress) {
    std::mt19937 rng(1951);
    std::vector<Bytes> packets = SamplePackets(rng, 24);
    std::string input;
    for (const Bytes& p : packets) input += ToHex(p) + "\n";
    for (const char* flush : {"Z_SYNC_FLUSH", "Z_PARTIAL_FLUSH"}) {
        for (int level : {1, 6, 9}) {
            std::string out = RunPython(std::string("import sys, zlib\n"
                                                    "c = zlib.compressobj(") +
                                            std::to_string(level) +
                                            ")\n"
                                            "for line in sys.stdin:\n"
                                            "    p = bytes.fromhex(line.strip())\n"
                                            "    print((c.compress(p) + c.flush(zlib." +
                                            flush + ")).hex())\n",
                                        input);
            auto lines = Lines(out);
            ASSERT_EQ(lines.size(), packets.size());
            Decompressor d;
            Bytes whole_in, whole_out;
            for (size_t i = 0; i < packets.size(); ++i) {
                Bytes in = FromHex(lines[i]), got;
                ASSERT_TRUE(d.Packet(in, got)) << flush << " level " << level << " packet " << i;
                EXPECT_EQ(got, packets[i]) << flush << " level " << level << " packet " << i;
                whole_in.insert(whole_in.end(), in.begin(), in.end());
                whole_out.insert(whole_out.end(), packets[i].begin(), packets[i].end());
            }
            if (level != 6) continue;
            Decompressor bytewise;
            Bytes collected, piece;
            for (uint8_t b : whole_in) {
                ASSERT_TRUE(bytewise.Packet(Bytes{b}, piece));
                collected.insert(collected.end(), piece.begin(), piece.end());
            }
            EXPECT_EQ(collected, whole_out) << flush;
        }
    }
}

// Compression as good as the reference's default level on text, within a
// few percent: catches a matcher or code builder that silently got worse.
TEST(CryptoZlib, RatioComparableToReference) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "-rw-r--r--  1 user" + std::to_string(i % 7) + " group  " + std::to_string(i * 7919 % 100000) +
                " Dec  " + std::to_string(1 + i % 28) + " 12:" + std::to_string(10 + i % 50) + " file_" +
                std::to_string(i) + ".txt\n";
    Bytes all = FromText(text);
    Compressor c;
    size_t ours = 0;
    std::string input;
    for (size_t at = 0; at < all.size(); at += 4096) {
        Bytes packet(all.begin() + at, all.begin() + std::min(all.size(), at + 4096));
        ours += c.Packet(packet).size();
        input += ToHex(packet) + "\n";
    }
    std::string out = RunPython(
        "import sys, zlib\n"
        "c = zlib.compressobj(6); n = 0\n"
        "for line in sys.stdin:\n"
        "    n += len(c.compress(bytes.fromhex(line.strip())) + c.flush(zlib.Z_SYNC_FLUSH))\n"
        "print(n)\n",
        input);
    size_t reference = std::stoul(out);
    EXPECT_LT(ours, reference * 105 / 100) << "ours " << ours << ", reference " << reference;
}

TEST(CryptoZlib, OwnRoundTripAcrossManyPackets) {
    std::mt19937 rng(1952);
    Compressor c;
    Decompressor d;
    for (const Bytes& p : SamplePackets(rng, 120)) {
        Bytes got;
        ASSERT_TRUE(d.Packet(c.Packet(p), got));
        ASSERT_EQ(got, p);
    }
}

namespace {

// Writes deflate bits: values least significant bit first, Huffman codes
// most significant bit first.
struct BitWriter {
    Bytes bytes = FromHex("789c");
    int used = 8;
    void Bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
    }
    void Code(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
    }
    void Bit(uint32_t b) {
        if (used == 8) {
            bytes.push_back(0);
            used = 0;
        }
        bytes.back() |= uint8_t(b << used++);
    }
};

}  // namespace

TEST(CryptoZlib, MalformedStreamsFail) {
    auto fails = [](const Bytes& stream) {
        Decompressor d;
        Bytes out;
        return !d.Packet(stream, out);
    };
    EXPECT_TRUE(fails(FromHex("7802")));            // header check bits wrong
    EXPECT_TRUE(fails(FromHex("7a9c")));            // not deflate
    EXPECT_TRUE(fails(FromHex("78bb")));            // preset dictionary
    EXPECT_TRUE(fails(FromHex("789c07")));          // block type 3
    EXPECT_TRUE(fails(FromHex("789c000100fffe")));  // stored length and its complement disagree
    EXPECT_FALSE(fails(FromHex("789c03")));         // a partial block waits for more

    BitWriter far_back;  // fixed block: length 3 at distance 1 with nothing before it
    far_back.Bits(0, 1);
    far_back.Bits(1, 2);
    far_back.Code(1, 7);  // symbol 257
    far_back.Code(0, 5);  // distance code 0
    EXPECT_TRUE(fails(far_back.bytes));

    BitWriter bad_length_symbol;  // fixed code 11000110 is symbol 286, never valid
    bad_length_symbol.Bits(0, 1);
    bad_length_symbol.Bits(1, 2);
    bad_length_symbol.Code(0xc6, 8);
    EXPECT_TRUE(fails(bad_length_symbol.bytes));

    BitWriter oversubscribed;  // dynamic block whose code-length code has three 1-bit codes
    oversubscribed.Bits(0, 1);
    oversubscribed.Bits(2, 2);
    oversubscribed.Bits(0, 5);
    oversubscribed.Bits(0, 5);
    oversubscribed.Bits(0, 4);  // four code-length lengths: 16, 17, 18, 0
    for (int i = 0; i < 3; ++i) oversubscribed.Bits(1, 3);
    oversubscribed.Bits(0, 3);
    EXPECT_TRUE(fails(oversubscribed.bytes));

    BitWriter after_end;  // a final empty block, its check value, then more data
    after_end.Bits(1, 1);
    after_end.Bits(1, 2);
    after_end.Code(0, 7);
    Bytes trailing = after_end.bytes;
    trailing.insert(trailing.end(), {0, 0, 0, 1});
    EXPECT_FALSE(fails(trailing));
    trailing.push_back(0x42);
    EXPECT_TRUE(fails(trailing));

    // A failed stream stays failed.
    Decompressor d;
    Bytes out;
    EXPECT_FALSE(d.Packet(FromHex("789c07"), out));
    EXPECT_FALSE(d.Packet(FromHex("0300"), out));
}

// Garbage after a valid header must end in a clean failure or output,
// never a crash or a read out of bounds (the sanitizers watch this).
TEST(CryptoZlib, RandomGarbageIsHandled) {
    std::mt19937 rng(1953);
    for (int i = 0; i < 300; ++i) {
        Decompressor d;
        Bytes stream = FromHex("789c");
        Bytes junk = RandomBytes(rng, 1 + rng() % 400);
        stream.insert(stream.end(), junk.begin(), junk.end());
        Bytes out;
        d.Packet(stream, out);
        EXPECT_LE(out.size(), kZlibMaxPacketOutput);
    }
}

TEST(CryptoZlib, OversizedPacketIsRefused) {
    Compressor c;
    Decompressor d;
    Bytes out;
    Bytes small(kZlibMaxPacketOutput, 'x');
    ASSERT_TRUE(d.Packet(c.Packet(small), out));
    EXPECT_EQ(out.size(), small.size());
    Bytes big(kZlibMaxPacketOutput + 1000, 'y');
    EXPECT_FALSE(d.Packet(c.Packet(big), out));
}

TEST(CryptoZlib, NoneAndNames) {
    EXPECT_EQ(FindCompression("zlib"), &kCompressionZlib);
    EXPECT_EQ(FindCompression("none"), &kCompressionNone);
    EXPECT_EQ(FindCompression("zlib@openssh.com"), nullptr);
    EXPECT_STREQ(kCompressionZlib.display_name, "zlib (RFC1950)");
    void* ctx = kCompressionNone.compress_start();
    ASSERT_NE(ctx, nullptr);
    Bytes out, in = FromText("unchanged");
    EXPECT_TRUE(kCompressionNone.compress(ctx, in.data(), in.size(), out));
    EXPECT_TRUE(kCompressionNone.decompress(ctx, out.data(), out.size(), out));
    EXPECT_EQ(out, FromText("unchangedunchanged"));
    EXPECT_EQ(kCompressionNone.disable_compression(ctx), 0);
    kCompressionNone.compress_end(ctx);
}

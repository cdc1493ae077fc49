// Throughput of the SSH primitives: MB/s for ciphers, hashes and MACs on
// 16 KiB buffers, modular exponentiations, Diffie-Hellman and RSA-2048
// operations per second. Prints one figure per line, a name without spaces
// first, so that tools/bench.sh can set them beside `openssl speed`.
//
// Usage: bench_crypto [path to tests/data/crypto/keys.txt]; by default the
// key file is looked up beside this source file. Built for Windows too.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ssh/crypto/cipher.h"
#include "ssh/crypto/compression.h"
#include "ssh/crypto/dh.h"
#include "ssh/crypto/hmac.h"
#include "ssh/crypto/mac.h"
#include "ssh/crypto/md5.h"
#include "ssh/crypto/rsa.h"
#include "ssh/crypto/sha1.h"
#include "ssh/crypto/sha512.h"

using namespace vorto::crypto;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kBuffer = 16384;

// Runs `op` repeatedly for about `seconds`, three times; returns the median
// rate in operations per second.
double MedianRate(const std::function<void()>& op, double seconds) {
    std::vector<double> rates;
    for (int round = 0; round < 3; ++round) {
        long count = 0;
        auto start = Clock::now();
        double elapsed = 0;
        do {
            op();
            ++count;
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        } while (elapsed < seconds);
        rates.push_back(count / elapsed);
    }
    std::sort(rates.begin(), rates.end());
    return rates[1];
}

void ReportBytes(const char* name, const std::function<void()>& op) {
    double rate = MedianRate(op, 0.3);
    std::printf("%-22s %9.1f MB/s\n", name, rate * kBuffer / 1e6);
    std::fflush(stdout);
}

void BenchCipher(const SshCipher& c, std::vector<uint8_t>& buffer) {
    std::vector<uint8_t> key(CipherKeyBytes(c), 0x5a), iv(c.block_size, 0);
    void* ctx = c.create();
    c.set_key(ctx, key.data());
    c.set_iv(ctx, iv.data());
    std::string label = std::string(c.name) + "-encrypt";
    ReportBytes(label.c_str(), [&] { c.encrypt(ctx, buffer.data(), buffer.size()); });
    c.free(ctx);
}

bool LoadRsaKey(const std::string& path, RsaKey& key) {
    std::ifstream in(path);
    std::map<std::string, std::string> fields;
    std::string line;
    bool in_2048 = false;
    while (std::getline(in, line)) {
        if (line == "bits = 2048") in_2048 = true;
        if (line.empty()) in_2048 = false;
        size_t eq = line.find(" = ");
        if (in_2048 && eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 3);
    }
    return BnFromHex(fields["n"], key.modulus) && BnFromHex(fields["e"], key.exponent) &&
           BnFromHex(fields["d"], key.private_exponent) && BnFromHex(fields["p"], key.p) &&
           BnFromHex(fields["q"], key.q) && BnFromHex(fields["iqmp"], key.iqmp) && RsaCheckPrivate(key);
}

// Random bytes from a fixed generator: the figures need no real randomness.
uint8_t NextByte(void* ctx) {
    uint32_t& state = *static_cast<uint32_t*>(ctx);
    state = state * 1664525u + 1013904223u;
    return uint8_t(state >> 24);
}

// An odd number of exactly `bits` bits.
Bignum OddOfBits(unsigned bits, RandomSource& random) {
    std::vector<uint8_t> bytes((bits + 7) / 8);
    for (auto& b : bytes) b = random.next_byte(random.ctx);
    unsigned top = bits % 8 ? bits % 8 : 8;  // bits used in the first byte
    bytes[0] &= uint8_t(0xff >> (8 - top));
    bytes[0] |= uint8_t(1u << (top - 1));
    bytes.back() |= 1;
    return BnFromBytes(bytes);
}

void ReportOps(const char* name, const char* unit, double seconds, const std::function<void()>& op) {
    std::printf("%-22s %9.1f %s\n", name, MedianRate(op, seconds), unit);
    std::fflush(stdout);
}

// Exponentiations with an exponent as long as the modulus (the cost of an
// RSA private operation without the prime shortcut), and the Diffie-Hellman
// shared secret with a short secret.
void BenchPublicKey() {
    uint32_t state = 1;
    RandomSource random{&state, NextByte};
    for (unsigned bits : {1024u, 2048u}) {
        Bignum m = OddOfBits(bits, random), base, exp = OddOfBits(bits, random), out;
        BnMod(OddOfBits(bits, random), m, base);
        std::string name = "modexp" + std::to_string(bits);
        ReportOps(name.c_str(), "ops/s", 0.4, [&] { BnModPow(base, exp, m, out); });
    }
    for (unsigned secret_bits : {320u, 225u}) {
        DhContext dh;
        DhSetupGroup(dh, OddOfBits(2048, random), BnFromUint(2));
        Bignum e, f, k;
        DhMakeE(dh, secret_bits, random, e);
        BnMod(OddOfBits(2047, random), dh.p, f);
        std::string name = "dh2048-x" + std::to_string(secret_bits);
        ReportOps(name.c_str(), "ops/s", 0.4, [&] { DhComputeK(dh, f, k); });
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<uint8_t> buffer(kBuffer, 0xa5);
    for (const SshCipher* c : {&kCipherAes256, &kCipherAes128, &kCipher3Des, &kCipherBlowfish, &kCipherDes})
        BenchCipher(*c, buffer);

    uint8_t digest[64];
    ReportBytes("sha1", [&] { Sha1Once(buffer.data(), buffer.size(), digest); });
    ReportBytes("sha512", [&] { Sha512Once(buffer.data(), buffer.size(), digest); });
    ReportBytes("md5", [&] { Md5Once(buffer.data(), buffer.size(), digest); });

    // The MAC as the transport runs it: keyed once, then sequence and packet.
    std::vector<uint8_t> packet(kBuffer + 20, 0x3c), mac_key(20, 0x11);
    void* mac = kMacHmacSha1.create();
    kMacHmacSha1.set_key(mac, mac_key.data());
    uint32_t seq = 0;
    ReportBytes("hmac-sha1", [&] { kMacHmacSha1.generate(mac, packet.data(), kBuffer, seq++); });
    kMacHmacSha1.free(mac);

    std::vector<uint8_t> text;
    const std::string line = "-rw-r--r--    1 user group   123456 Dec  8 15:27 some file name.txt\n";
    while (text.size() < kBuffer) text.insert(text.end(), line.begin(), line.end());
    text.resize(kBuffer);
    void* z = kCompressionZlib.compress_start();
    std::vector<uint8_t> packed;
    ReportBytes("zlib-compress-text", [&] {
        packed.clear();
        kCompressionZlib.compress(z, text.data(), text.size(), packed);
    });
    kCompressionZlib.compress_end(z);

    BenchPublicKey();

    std::string path = argc > 1 ? argv[1] : "";
#ifdef VORTO_TEST_DATA
    if (path.empty()) path = std::string(VORTO_TEST_DATA) + "/crypto/keys.txt";
#endif
    if (path.empty()) {  // beside this source: tests/bench/../data/crypto
        std::string source = __FILE__;
        path = source.substr(0, source.find_last_of("/\\") + 1) + "../data/crypto/keys.txt";
    }
    RsaKey key;
    if (!LoadRsaKey(path, key)) {
        std::printf("rsa2048-sign: no key (pass the path of keys.txt)\n");
        return 0;
    }
    std::vector<uint8_t> data(64, 0x42), signature;
    ReportOps("rsa2048-sign", "signs/s", 0.5, [&] { RsaSignSha1(key, data, false, signature); });
    ReportOps("rsa2048-verify", "verifies/s", 0.3, [&] { RsaVerifySha1(key, signature, data); });
    return 0;
}

// The fixed RSA and DSA test keys of tests/data/crypto/keys.txt.
#pragma once

#include "crypto_test_support.h"
#include "ssh/crypto/dsa.h"
#include "ssh/crypto/rsa.h"

namespace crypto_test {

inline vorto::crypto::Bignum Number(const Record& r, const char* name) {
    vorto::crypto::Bignum n;
    vorto::crypto::BnFromHex(r.at(name), n);
    return n;
}

inline vorto::crypto::RsaKey TestRsaKey(int bits) {
    for (const Record& r : ReadVectors("keys.txt")) {
        if (r.at("kind") == "rsa" && r.at("bits") == std::to_string(bits))
            return {Number(r, "n"), Number(r, "e"), Number(r, "d"), Number(r, "p"), Number(r, "q"), Number(r, "iqmp")};
    }
    return {};
}

inline vorto::crypto::DsaKey TestDsaKey() {
    for (const Record& r : ReadVectors("keys.txt")) {
        if (r.at("kind") == "dsa") return {Number(r, "p"), Number(r, "q"), Number(r, "g"), Number(r, "y"), Number(r, "x")};
    }
    return {};
}

// A repeatable random source for the public-key code.
struct SeededRandom {
    std::mt19937 rng;
    explicit SeededRandom(unsigned seed) : rng(seed) {}
    static uint8_t Next(void* ctx) { return uint8_t(static_cast<SeededRandom*>(ctx)->rng()); }
    vorto::crypto::RandomSource Source() { return {this, Next}; }
};

}  // namespace crypto_test

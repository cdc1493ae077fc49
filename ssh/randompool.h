// The random pool: 1200 bytes stirred with the SHA-1 compression function,
// fed with noise from an entropy source and from the traffic of the
// connection. Random bytes are read from it; a part of it is saved as the
// seed for the next run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ssh/crypto/random_source.h"
#include "ssh/crypto/sha1.h"

namespace vorto::ssh {

constexpr size_t kRandomPoolSize = 1200;
constexpr size_t kRandomInputSize = 64;
constexpr size_t kRandomSeedSize = 600;

struct RandomPool;

// Where noise comes from. Either function may be null.
struct EntropySource {
    void* ctx = nullptr;
    // Slow gathering when the pool starts; feeds RandomAddHeavyNoise.
    void (*heavy_noise)(void* ctx, RandomPool& pool) = nullptr;
    // Cheap, changing values taken at every stir; feeds RandomAddNoise.
    void (*light_noise)(void* ctx, RandomPool& pool) = nullptr;
};

struct RandomPool {
    uint8_t pool[kRandomPoolSize];
    uint8_t input[kRandomInputSize];
    size_t input_used;
    uint8_t digest[crypto::kSha1Length];
    size_t position;  // next byte handed out; kRandomPoolSize when used up
    bool stirring;
    EntropySource source;
};

// Clears the pool, adds the source's heavy noise and stirs.
void RandomPoolStart(RandomPool& pool, const EntropySource& source);
// Collects bytes; every 64 of them are hashed and mixed into the pool.
void RandomAddNoise(RandomPool& pool, const void* data, size_t length);
// XORs bytes straight into the pool, stirring each time it has gone round.
void RandomAddHeavyNoise(RandomPool& pool, const void* data, size_t length);
void RandomStir(RandomPool& pool);
uint8_t RandomByte(RandomPool& pool);
// Fresh bytes for the seed file; the pool is stirred before and after so
// that the saved bytes are never handed out.
void RandomTakeSeed(RandomPool& pool, uint8_t seed[kRandomSeedSize]);
// Zeroes the whole pool.
void RandomPoolWipe(RandomPool& pool);

// The pool as the source the public-key code draws from.
crypto::RandomSource RandomSourceOf(RandomPool& pool);

}  // namespace vorto::ssh

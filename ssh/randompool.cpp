#include "ssh/randompool.h"

#include <cstring>

#include "ssh/crypto/hash_util.h"

namespace vorto::ssh {

namespace {

constexpr size_t kDigestSize = crypto::kSha1Length;

// The 20 digest bytes go into the pool at the read position, wrapping.
// Returns whether the position went round.
bool MixDigestIntoPool(RandomPool& pool) {
    bool wrapped = false;
    for (size_t i = 0; i < kDigestSize; ++i) {
        if (pool.position >= kRandomPoolSize) {
            pool.position = 0;
            wrapped = true;
        }
        pool.pool[pool.position++] ^= pool.digest[i];
    }
    return wrapped;
}

// Called when every byte from the position on has been used.
void StirUsedUpPool(RandomPool& pool) {
    RandomStir(pool);
    // Only a stir already under way leaves the position as it was.
    if (pool.position >= kRandomPoolSize) pool.position = kDigestSize;
}

}  // namespace

void RandomPoolStart(RandomPool& pool, const EntropySource& source) {
    RandomPoolWipe(pool);
    pool.source = source;
    if (source.heavy_noise) source.heavy_noise(source.ctx, pool);
    RandomStir(pool);
}

void RandomAddNoise(RandomPool& pool, const void* data, size_t length) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (length > 0) {
        size_t take = kRandomInputSize - pool.input_used;
        if (take > length) take = length;
        std::memcpy(pool.input + pool.input_used, bytes, take);
        pool.input_used += take;
        bytes += take;
        length -= take;
        if (pool.input_used < kRandomInputSize) break;
        crypto::Sha1CompressBytes(pool.digest, pool.input);
        pool.input_used = 0;
        // Gone round the pool: stir, so that no byte handed out before is
        // handed out again (unless this noise comes from a stir).
        if (MixDigestIntoPool(pool) && !pool.stirring) RandomStir(pool);
    }
}

void RandomAddHeavyNoise(RandomPool& pool, const void* data, size_t length) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < length; ++i) {
        if (pool.position >= kRandomPoolSize) StirUsedUpPool(pool);
        pool.pool[pool.position++] ^= bytes[i];
    }
}

void RandomStir(RandomPool& pool) {
    if (pool.stirring) return;
    pool.stirring = true;
    if (pool.source.light_noise) pool.source.light_noise(pool.source.ctx, pool);
    for (int pass = 0; pass < 2; ++pass) {
        // From the end to the start, each block chained through the digest,
        // with the pool's first 64 bytes as the compression key.
        for (size_t end = kRandomPoolSize; end > 0; end -= kDigestSize) {
            uint8_t* block = pool.pool + end - kDigestSize;
            for (size_t i = 0; i < kDigestSize; ++i) pool.digest[i] ^= block[i];
            crypto::Sha1CompressBytes(pool.digest, pool.pool);
            std::memcpy(block, pool.digest, kDigestSize);
        }
    }
    // One more round so the kept digest is not the first block's contents.
    crypto::Sha1CompressBytes(pool.digest, pool.pool);
    pool.position = kDigestSize;
    pool.stirring = false;
}

uint8_t RandomByte(RandomPool& pool) {
    if (pool.position >= kRandomPoolSize) StirUsedUpPool(pool);
    return pool.pool[pool.position++];
}

void RandomTakeSeed(RandomPool& pool, uint8_t seed[kRandomSeedSize]) {
    static_assert(kDigestSize + kRandomSeedSize <= kRandomPoolSize);
    RandomStir(pool);
    std::memcpy(seed, pool.pool + pool.position, kRandomSeedSize);
    RandomStir(pool);
}

void RandomPoolWipe(RandomPool& pool) {
    crypto::Wipe(pool.pool, sizeof pool.pool);
    crypto::Wipe(pool.input, sizeof pool.input);
    crypto::Wipe(pool.digest, sizeof pool.digest);
    pool.input_used = 0;
    pool.position = 0;
    pool.stirring = false;
    pool.source = EntropySource{};
}

crypto::RandomSource RandomSourceOf(RandomPool& pool) {
    return {&pool, [](void* ctx) { return RandomByte(*static_cast<RandomPool*>(ctx)); }};
}

}  // namespace vorto::ssh

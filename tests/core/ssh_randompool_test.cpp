#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ssh/randompool.h"

using namespace vorto::ssh;

namespace {

using Bytes = std::vector<uint8_t>;

// A repeatable source: heavy noise is a fixed byte string, light noise a
// counter that also records how often it was asked.
struct FakeEntropy {
    Bytes heavy;
    int light_calls = 0;

    static void Heavy(void* ctx, RandomPool& pool) {
        auto* self = static_cast<FakeEntropy*>(ctx);
        RandomAddHeavyNoise(pool, self->heavy.data(), self->heavy.size());
    }
    static void Light(void* ctx, RandomPool& pool) {
        auto* self = static_cast<FakeEntropy*>(ctx);
        ++self->light_calls;
        // More than a buffer's worth, so that light noise itself completes
        // input blocks while a stir is under way.
        uint8_t noise[100];
        std::memset(noise, self->light_calls, sizeof noise);
        RandomAddNoise(pool, noise, sizeof noise);
    }
    EntropySource Source() { return {this, Heavy, Light}; }
};

Bytes Take(RandomPool& pool, size_t n) {
    Bytes out(n);
    for (auto& b : out) b = RandomByte(pool);
    return out;
}

Bytes HeavyBytes(size_t n, uint8_t salt) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 131 + salt);
    return b;
}

}  // namespace

TEST(SshRandomPool, SameNoiseGivesSameBytesAndAnyNoiseChangesThem) {
    FakeEntropy a{HeavyBytes(3000, 1)}, b{HeavyBytes(3000, 1)}, c{HeavyBytes(3000, 1)};
    c.heavy[2500] ^= 1;  // beyond one round of the pool
    RandomPool pa, pb, pc;
    RandomPoolStart(pa, a.Source());
    RandomPoolStart(pb, b.Source());
    RandomPoolStart(pc, c.Source());
    Bytes first = Take(pa, 3000);
    EXPECT_EQ(first, Take(pb, 3000));
    EXPECT_NE(first, Take(pc, 3000));

    // Without light noise the input buffer starts empty: noise short of a
    // 64-byte block is only collected; the byte that completes it changes
    // what follows.
    RandomPool quiet, twin;
    RandomPoolStart(quiet, {&a, FakeEntropy::Heavy, nullptr});
    RandomPoolStart(twin, {&a, FakeEntropy::Heavy, nullptr});
    uint8_t one = 7;
    for (int i = 0; i < 63; ++i) RandomAddNoise(quiet, &one, 1);
    EXPECT_EQ(Take(quiet, 40), Take(twin, 40));
    RandomAddNoise(quiet, &one, 1);
    EXPECT_NE(Take(quiet, 40), Take(twin, 40));
}

TEST(SshRandomPool, NoiseIsBufferedTheSameWhateverTheSplit) {
    FakeEntropy e{HeavyBytes(500, 9)}, f{HeavyBytes(500, 9)};
    RandomPool whole, pieces;
    RandomPoolStart(whole, e.Source());
    RandomPoolStart(pieces, f.Source());
    Bytes noise = HeavyBytes(64 * 40 + 13, 3);  // goes round the pool at least once
    RandomAddNoise(whole, noise.data(), noise.size());
    size_t sizes[] = {1, 63, 2, 64, 200, 7};
    for (size_t at = 0, i = 0; at < noise.size(); ++i) {
        size_t n = std::min(sizes[i % 6], noise.size() - at);
        RandomAddNoise(pieces, noise.data() + at, n);
        at += n;
    }
    EXPECT_EQ(Take(whole, 2000), Take(pieces, 2000));
}

TEST(SshRandomPool, StirTakesLightNoiseWithoutStirringAgain) {
    FakeEntropy e{HeavyBytes(5000, 2)};
    RandomPool pool;
    RandomPoolStart(pool, e.Source());
    // Heavy noise of 5000 bytes goes round four times, then the final stir.
    EXPECT_EQ(e.light_calls, 5);
    EXPECT_EQ(pool.position, 20u);
    int before = e.light_calls;
    RandomStir(pool);
    EXPECT_EQ(e.light_calls, before + 1);
    EXPECT_FALSE(pool.stirring);
}

// Bytes once handed out must never come out again: noise that wraps the
// position round the pool has to stir before more bytes go out, also when
// the pool was used up to its very end.
TEST(SshRandomPool, NoiseThatWrapsThePoolStirsBeforeMoreBytesGoOut) {
    for (size_t taken : {kRandomPoolSize - 20, kRandomPoolSize - 30}) {
        FakeEntropy e{HeavyBytes(100, 4)};
        RandomPool pool;
        RandomPoolStart(pool, {&e, FakeEntropy::Heavy, nullptr});
        Bytes handed_out = Take(pool, taken);
        Bytes noise(64, 0x5a);
        RandomAddNoise(pool, noise.data(), noise.size());
        EXPECT_EQ(pool.position, 20u) << taken;
        Bytes next = Take(pool, 40);
        for (size_t i = 0; i + 20 <= handed_out.size(); i += 20) {
            ASSERT_NE(std::memcmp(next.data(), handed_out.data() + i, 20), 0) << taken << " " << i;
        }
    }
}

TEST(SshRandomPool, SeedIsFreshAndNeverHandedOut) {
    FakeEntropy e{HeavyBytes(1200, 5)};
    RandomPool pool, twin;
    RandomPoolStart(pool, e.Source());
    RandomPoolStart(twin, FakeEntropy{HeavyBytes(1200, 5)}.Source());
    uint8_t seed[kRandomSeedSize];
    RandomTakeSeed(pool, seed);
    Bytes after = Take(pool, kRandomPoolSize);
    for (size_t i = 0; i + 20 <= after.size(); i += 20) {
        EXPECT_NE(std::memcmp(after.data() + i, seed, 20), 0) << i;
    }
    // The seed is not what the pool would have handed out instead.
    Bytes instead = Take(twin, kRandomSeedSize);
    EXPECT_NE(std::memcmp(instead.data(), seed, kRandomSeedSize), 0);
    uint8_t again[kRandomSeedSize];
    RandomTakeSeed(pool, again);
    EXPECT_NE(std::memcmp(seed, again, kRandomSeedSize), 0);
}

TEST(SshRandomPool, PoolWithoutSourceWorksAndWipes) {
    RandomPool pool;
    RandomPoolStart(pool, EntropySource{});
    vorto::crypto::RandomSource source = RandomSourceOf(pool);
    RandomPool copy = pool;
    for (int i = 0; i < 2500; ++i) ASSERT_EQ(source.next_byte(source.ctx), RandomByte(copy));
    RandomPoolWipe(pool);
    EXPECT_EQ(pool.position, 0u);
    EXPECT_EQ(pool.input_used, 0u);
    for (uint8_t b : pool.pool) ASSERT_EQ(b, 0);
    for (uint8_t b : pool.digest) ASSERT_EQ(b, 0);
}

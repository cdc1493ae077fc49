// Byte-order helpers and the block buffering shared by the hashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

namespace vorto::crypto {

inline uint32_t LoadBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint32_t LoadLe32(const uint8_t* p) {
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}
inline uint64_t LoadBe64(const uint8_t* p) {
    return (uint64_t(LoadBe32(p)) << 32) | LoadBe32(p + 4);
}
inline void StoreBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void StoreBe64(uint8_t* p, uint64_t v) {
    StoreBe32(p, uint32_t(v >> 32));
    StoreBe32(p + 4, uint32_t(v));
}
inline uint32_t Rotl32(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}
inline uint64_t Rotr64(uint64_t x, int n) {
    return (x >> n) | (x << (64 - n));
}

// Fills the partial block, runs whole blocks straight from the input, and
// keeps the tail. `Compress` is called with each complete block.
template <size_t kBlock, typename Compress>
void AddToBlocks(uint8_t* block, size_t& used, const uint8_t* data, size_t length, Compress compress) {
    if (used > 0) {
        size_t take = kBlock - used < length ? kBlock - used : length;
        std::memcpy(block + used, data, take);
        used += take;
        data += take;
        length -= take;
        if (used < kBlock) return;
        compress(block);
        used = 0;
    }
    for (; length >= kBlock; data += kBlock, length -= kBlock) compress(data);
    if (length > 0) std::memcpy(block, data, length);
    used = length;
}

// Zeroes memory in a way the optimiser may not drop.
inline void Wipe(void* p, size_t n) {
    volatile uint8_t* v = static_cast<volatile uint8_t*>(p);
    while (n--) *v++ = 0;
}

// Contexts of the cipher and MAC records: allocated without throwing,
// wiped before they are freed.
template <typename T>
void* CreateContext() {
    return new (std::nothrow) T{};
}

template <typename T>
void FreeContext(void* ctx) {
    if (!ctx) return;
    Wipe(ctx, sizeof(T));
    delete static_cast<T*>(ctx);
}

}  // namespace vorto::crypto

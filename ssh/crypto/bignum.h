// Multi-precision unsigned integers for the SSH key exchange and public-key
// operations, with the big-endian, SSH-2 mpint and SSH-1 encodings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorto::crypto {

// Storage for the words of a number that is wiped when it is given back,
// so private exponents, primes, DH secrets and shared secrets never stay
// behind in freed memory. Growth returns the old buffer through here too.
template <typename T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <typename U>
    WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(size_t n) { return std::allocator<T>{}.allocate(n); }
    void deallocate(T* p, size_t n) {
        volatile T* v = p;
        for (size_t i = 0; i < n; ++i) v[i] = 0;
        std::allocator<T>{}.deallocate(p, n);
    }
    template <typename U>
    bool operator==(const WipingAllocator<U>&) const { return true; }
};

using BignumWords = std::vector<uint32_t, WipingAllocator<uint32_t>>;

// Least significant 32-bit word first. High words may be zero; every
// operation accepts that and returns trimmed results. The number of words
// is the capacity that BnSetBit respects.
struct Bignum {
    BignumWords words;
};

// The largest modulus accepted from a peer or a key file. Far beyond any
// real key, it bounds the work a hostile peer can ask for.
constexpr unsigned kMaxModulusBits = 16384;

Bignum BnFromUint(uint64_t value);
// A zero of a fixed size, so that bits up to `bits` - 1 can be set.
Bignum BnZeroOfBits(unsigned bits);
Bignum BnFromBytes(std::span<const uint8_t> big_endian);
// Big-endian bytes; with `length` 0 the shortest form (zero is one 0 byte is
// not produced: zero gives an empty string), else left-padded to `length`.
// Returns false when the number does not fit in `length` bytes.
bool BnToBytes(const Bignum& n, size_t length, std::vector<uint8_t>& out);
std::vector<uint8_t> BnToBytes(const Bignum& n);
// Lowercase hexadecimal without leading zeros; zero is "0".
std::string BnToHex(const Bignum& n);
// Accepts hexadecimal digits of either case; false on anything else.
bool BnFromHex(std::string_view hex, Bignum& out);

bool BnIsZero(const Bignum& n);
unsigned BnBitCount(const Bignum& n);
// Byte `index` counted from the least significant end (0 beyond the number).
uint8_t BnByte(const Bignum& n, unsigned index);
int BnBit(const Bignum& n, unsigned index);
// Refused (false) when `index` lies beyond the words the number holds.
bool BnSetBit(Bignum& n, unsigned index, int value);
// -1, 0 or 1.
int BnCompare(const Bignum& a, const Bignum& b);

Bignum BnAdd(const Bignum& a, const Bignum& b);
// False (and `out` unchanged) when b > a.
bool BnSub(const Bignum& a, const Bignum& b, Bignum& out);
Bignum BnMul(const Bignum& a, const Bignum& b);
Bignum BnShiftRight(const Bignum& a, unsigned bits);
// Quotient and remainder; either pointer may be null. False when m is zero.
bool BnDivMod(const Bignum& a, const Bignum& m, Bignum* quotient, Bignum* remainder);
bool BnMod(const Bignum& a, const Bignum& m, Bignum& out);
bool BnModMul(const Bignum& a, const Bignum& b, const Bignum& m, Bignum& out);
// base^exp mod m. The running time depends on the sizes of the operands but
// not on the bits of the exponent when m is odd. False when m is zero.
bool BnModPow(const Bignum& base, const Bignum& exp, const Bignum& m, Bignum& out);
// False when a has no inverse modulo m.
bool BnModInverse(const Bignum& a, const Bignum& m, Bignum& out);
Bignum BnGcd(const Bignum& a, const Bignum& b);

// SSH-2 mpint (RFC 4251): 32-bit length, big-endian two's complement with a
// leading zero byte when the top bit is set; zero has length 0.
void BnPutMpint(std::vector<uint8_t>& out, const Bignum& n);
// SSH-1 form: 16-bit bit count, then the bytes.
void BnPutSsh1(std::vector<uint8_t>& out, const Bignum& n);

}  // namespace vorto::crypto

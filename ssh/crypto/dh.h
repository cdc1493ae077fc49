// Diffie-Hellman for the SSH-2 key exchanges: the fixed 1024-bit group
// (Oakley group 2, RFC 2409) and groups the server hands out (RFC 4419).
#pragma once

#include "ssh/crypto/bignum.h"
#include "ssh/crypto/random_source.h"

namespace vorto::crypto {

struct DhContext {
    Bignum p, g;
    Bignum q;  // (p - 1) / 2
    Bignum x;  // secret
    Bignum e;  // g^x mod p
};

void DhSetupGroup1(DhContext& dh);
// The smallest group a server may hand out: the minimum the group-exchange
// request names. A smaller one would give a secret anyone could compute.
constexpr unsigned kMinGroupBits = 1024;

// False for a modulus that cannot be a safe prime group (even, smaller than
// kMinGroupBits, or beyond kMaxModulusBits) or a generator outside
// 1 < g < p - 1.
bool DhSetupGroup(DhContext& dh, const Bignum& p, const Bignum& g);
// Draws x from `secret_bits` random bits; with 0 bits, or more than q has,
// from random bytes masked to the size of q. Fewer than 2 bits are treated
// as 0, since no such x could satisfy 1 < x < q. Draws again until 1 < x < q.
bool DhMakeE(DhContext& dh, unsigned secret_bits, RandomSource& random, Bignum& e);
// K = f^x mod p. False when f is outside 1 < f < p - 1: such a value would
// make the shared secret one the peer could predict.
bool DhComputeK(const DhContext& dh, const Bignum& f, Bignum& k);

}  // namespace vorto::crypto

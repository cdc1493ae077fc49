#include "ssh/crypto/bignum.h"

#include <algorithm>

#include "ssh/crypto/wire.h"

namespace vorto::crypto {

namespace {

using Words = BignumWords;

size_t UsedWords(const Words& w) {
    size_t n = w.size();
    while (n > 0 && w[n - 1] == 0) --n;
    return n;
}

Bignum Trimmed(Words w) {
    w.resize(UsedWords(w));
    return Bignum{std::move(w)};
}

int CompareWords(const uint32_t* a, size_t na, const uint32_t* b, size_t nb) {
    while (na > 0 && a[na - 1] == 0) --na;
    while (nb > 0 && b[nb - 1] == 0) --nb;
    if (na != nb) return na < nb ? -1 : 1;
    for (size_t i = na; i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

int LeadingZeros(uint32_t x) {
    int n = 0;
    while (!(x & 0x80000000u)) {
        x <<= 1;
        ++n;
    }
    return n;
}

}  // namespace

Bignum BnFromUint(uint64_t value) {
    return Trimmed({uint32_t(value), uint32_t(value >> 32)});
}

Bignum BnZeroOfBits(unsigned bits) {
    return Bignum{Words((bits + 31) / 32, 0)};
}

Bignum BnFromBytes(std::span<const uint8_t> be) {
    Words w((be.size() + 3) / 4, 0);
    for (size_t i = 0; i < be.size(); ++i) {
        size_t pos = be.size() - 1 - i;  // byte position from the low end
        w[pos / 4] |= uint32_t(be[i]) << (8 * (pos % 4));
    }
    return Trimmed(std::move(w));
}

bool BnToBytes(const Bignum& n, size_t length, std::vector<uint8_t>& out) {
    size_t need = (BnBitCount(n) + 7) / 8;
    if (length == 0) length = need;
    if (need > length) return false;
    out.assign(length, 0);
    for (size_t i = 0; i < need; ++i) out[length - 1 - i] = BnByte(n, unsigned(i));
    return true;
}

std::vector<uint8_t> BnToBytes(const Bignum& n) {
    std::vector<uint8_t> out;
    BnToBytes(n, 0, out);
    return out;
}

std::string BnToHex(const Bignum& n) {
    static const char kDigits[] = "0123456789abcdef";
    unsigned nibbles = (BnBitCount(n) + 3) / 4;
    if (nibbles == 0) return "0";
    std::string text;
    for (unsigned i = nibbles; i-- > 0;) text += kDigits[(n.words[i / 8] >> (4 * (i % 8))) & 15];
    return text;
}

bool BnFromHex(std::string_view hex, Bignum& out) {
    Words w((hex.size() + 7) / 8, 0);
    for (size_t i = 0; i < hex.size(); ++i) {
        char c = hex[hex.size() - 1 - i];
        uint32_t v;
        if (c >= '0' && c <= '9') v = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'f') v = uint32_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') v = uint32_t(c - 'A' + 10);
        else return false;
        w[i / 8] |= v << (4 * (i % 8));
    }
    out = Trimmed(std::move(w));
    return true;
}

bool BnIsZero(const Bignum& n) {
    return UsedWords(n.words) == 0;
}

unsigned BnBitCount(const Bignum& n) {
    size_t used = UsedWords(n.words);
    if (used == 0) return 0;
    return unsigned(32 * used - LeadingZeros(n.words[used - 1]));
}

uint8_t BnByte(const Bignum& n, unsigned index) {
    if (index / 4 >= n.words.size()) return 0;
    return uint8_t(n.words[index / 4] >> (8 * (index % 4)));
}

int BnBit(const Bignum& n, unsigned index) {
    if (index / 32 >= n.words.size()) return 0;
    return int((n.words[index / 32] >> (index % 32)) & 1);
}

bool BnSetBit(Bignum& n, unsigned index, int value) {
    if (index / 32 >= n.words.size()) return false;
    uint32_t mask = uint32_t(1) << (index % 32);
    if (value) n.words[index / 32] |= mask;
    else n.words[index / 32] &= ~mask;
    return true;
}

int BnCompare(const Bignum& a, const Bignum& b) {
    return CompareWords(a.words.data(), a.words.size(), b.words.data(), b.words.size());
}

Bignum BnAdd(const Bignum& a, const Bignum& b) {
    size_t n = std::max(a.words.size(), b.words.size());
    Words r(n + 1, 0);
    uint64_t carry = 0;
    for (size_t i = 0; i < n; ++i) {
        uint64_t s = carry;
        if (i < a.words.size()) s += a.words[i];
        if (i < b.words.size()) s += b.words[i];
        r[i] = uint32_t(s);
        carry = s >> 32;
    }
    r[n] = uint32_t(carry);
    return Trimmed(std::move(r));
}

bool BnSub(const Bignum& a, const Bignum& b, Bignum& out) {
    if (BnCompare(a, b) < 0) return false;
    Words r(a.words);
    uint64_t borrow = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        uint64_t sub = borrow + (i < b.words.size() ? b.words[i] : 0);
        uint64_t d = uint64_t(r[i]) - sub;
        r[i] = uint32_t(d);
        borrow = (d >> 63) & 1;
    }
    out = Trimmed(std::move(r));
    return true;
}

Bignum BnMul(const Bignum& a, const Bignum& b) {
    size_t na = UsedWords(a.words), nb = UsedWords(b.words);
    Words r(na + nb, 0);
    for (size_t i = 0; i < na; ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < nb; ++j) {
            uint64_t t = uint64_t(a.words[i]) * b.words[j] + r[i + j] + carry;
            r[i + j] = uint32_t(t);
            carry = t >> 32;
        }
        r[i + nb] = uint32_t(carry);
    }
    return Trimmed(std::move(r));
}

Bignum BnShiftRight(const Bignum& a, unsigned bits) {
    size_t skip = bits / 32, shift = bits % 32;
    if (skip >= a.words.size()) return Bignum{};
    Words r(a.words.size() - skip, 0);
    for (size_t i = 0; i < r.size(); ++i) {
        uint64_t pair = a.words[i + skip];
        if (i + skip + 1 < a.words.size()) pair |= uint64_t(a.words[i + skip + 1]) << 32;
        r[i] = uint32_t(pair >> shift);
    }
    return Trimmed(std::move(r));
}

// Long division of normalised operands (Knuth, vol. 2, 4.3.1, algorithm D).
bool BnDivMod(const Bignum& a, const Bignum& m, Bignum* quotient, Bignum* remainder) {
    size_t n = UsedWords(m.words), na = UsedWords(a.words);
    if (n == 0) return false;
    if (CompareWords(a.words.data(), na, m.words.data(), n) < 0) {
        if (remainder) *remainder = Trimmed(a.words);
        if (quotient) *quotient = Bignum{};
        return true;
    }
    Words q(na - n + 1, 0);
    if (n == 1) {
        uint64_t rem = 0, d = m.words[0];
        for (size_t i = na; i-- > 0;) {
            uint64_t cur = (rem << 32) | a.words[i];
            q[i] = uint32_t(cur / d);
            rem = cur % d;
        }
        if (remainder) *remainder = BnFromUint(rem);
        if (quotient) *quotient = Trimmed(std::move(q));
        return true;
    }
    int s = LeadingZeros(m.words[n - 1]);
    Words vn(n), un(na + 1);
    for (size_t i = n - 1; i > 0; --i)
        vn[i] = (m.words[i] << s) | (s ? uint32_t(uint64_t(m.words[i - 1]) >> (32 - s)) : 0);
    vn[0] = m.words[0] << s;
    un[na] = s ? uint32_t(uint64_t(a.words[na - 1]) >> (32 - s)) : 0;
    for (size_t i = na - 1; i > 0; --i)
        un[i] = (a.words[i] << s) | (s ? uint32_t(uint64_t(a.words[i - 1]) >> (32 - s)) : 0);
    un[0] = a.words[0] << s;

    const uint64_t base = uint64_t(1) << 32;
    for (size_t j = na - n + 1; j-- > 0;) {
        uint64_t num = (uint64_t(un[j + n]) << 32) | un[j + n - 1];
        uint64_t qhat = num / vn[n - 1], rhat = num % vn[n - 1];
        while (qhat >= base || qhat * vn[n - 2] > ((rhat << 32) | un[j + n - 2])) {
            --qhat;
            rhat += vn[n - 1];
            if (rhat >= base) break;
        }
        int64_t borrow = 0, t;
        for (size_t i = 0; i < n; ++i) {
            uint64_t p = qhat * vn[i];
            t = int64_t(un[i + j]) - borrow - int64_t(p & 0xFFFFFFFFu);
            un[i + j] = uint32_t(t);
            borrow = int64_t(p >> 32) - (t >> 32);
        }
        t = int64_t(un[j + n]) - borrow;
        un[j + n] = uint32_t(t);
        q[j] = uint32_t(qhat);
        if (t < 0) {  // qhat was one too large: add the divisor back
            --q[j];
            uint64_t carry = 0;
            for (size_t i = 0; i < n; ++i) {
                uint64_t sum = uint64_t(un[i + j]) + vn[i] + carry;
                un[i + j] = uint32_t(sum);
                carry = sum >> 32;
            }
            un[j + n] += uint32_t(carry);
        }
    }
    if (remainder) {
        Words r(n);
        for (size_t i = 0; i < n; ++i)
            r[i] = (un[i] >> s) | (s ? uint32_t(uint64_t(un[i + 1]) << (32 - s)) : 0);
        *remainder = Trimmed(std::move(r));
    }
    if (quotient) *quotient = Trimmed(std::move(q));
    return true;
}

bool BnMod(const Bignum& a, const Bignum& m, Bignum& out) {
    return BnDivMod(a, m, nullptr, &out);
}

bool BnModMul(const Bignum& a, const Bignum& b, const Bignum& m, Bignum& out) {
    return BnMod(BnMul(a, b), m, out);
}

namespace {

// Montgomery arithmetic modulo an odd m of n limbs, R = 2^(limb bits * n).
// The limbs are 64-bit where the compiler has a 128-bit product, else the
// number's own 32-bit words.
template <typename Limb, typename Wide>
struct Montgomery {
    static constexpr int kBits = 8 * sizeof(Limb);
    std::vector<Limb> m;
    Limb m_inv;  // -m^-1 mod 2^kBits
    size_t n;
};

template <typename Limb>
std::vector<Limb> ToLimbs(const Words& w, size_t n) {
    constexpr size_t kPer = sizeof(Limb) / 4;
    std::vector<Limb> out(n, 0);
    for (size_t i = 0; i < w.size() && i / kPer < n; ++i) out[i / kPer] |= Limb(w[i]) << (32 * (i % kPer));
    return out;
}

template <typename Limb>
Words FromLimbs(const std::vector<Limb>& limbs) {
    constexpr size_t kPer = sizeof(Limb) / 4;
    Words w(limbs.size() * kPer);
    for (size_t i = 0; i < w.size(); ++i) w[i] = uint32_t(limbs[i / kPer] >> (32 * (i % kPer)));
    return w;
}

template <typename Limb, typename Wide>
Montgomery<Limb, Wide> MontSetup(const Bignum& modulus) {
    Montgomery<Limb, Wide> mont;
    size_t words = UsedWords(modulus.words);
    mont.n = (words * 4 + sizeof(Limb) - 1) / sizeof(Limb);
    mont.m = ToLimbs<Limb>(modulus.words, mont.n);
    Limb inv = 1;  // Newton iteration doubles the correct low bits each step
    for (int i = 0; i < 6; ++i) inv *= Limb(2) - mont.m[0] * inv;
    mont.m_inv = Limb(0) - inv;
    return mont;
}

// out = a * b / R mod m, inputs below m. Word-serial with the final
// subtraction done by mask, so the time does not depend on the values.
template <typename Limb, typename Wide>
void MontMul(const Montgomery<Limb, Wide>& mont, const Limb* a, const Limb* b, Limb* out, std::vector<Limb>& scratch) {
    constexpr int kBits = Montgomery<Limb, Wide>::kBits;
    const size_t n = mont.n;
    const Limb* m = mont.m.data();
    const Limb m_inv = mont.m_inv;
    Limb* t = scratch.data();
    std::fill(scratch.begin(), scratch.end(), 0);
    // One pass per word of b: add a * b[i] and the multiple of m that clears
    // the low word, shifting down by one word as it goes. t stays below 2m.
    for (size_t i = 0; i < n; ++i) {
        const Limb bi = b[i];
        Wide s = Wide(t[0]) + Wide(a[0]) * bi;
        Wide carry_ab = s >> kBits;
        const Limb factor = Limb(s) * m_inv;
        Wide carry_m = (Wide(Limb(s)) + Wide(factor) * m[0]) >> kBits;
        for (size_t j = 1; j < n; ++j) {
            s = Wide(t[j]) + Wide(a[j]) * bi + carry_ab;
            carry_ab = s >> kBits;
            Wide r = Wide(Limb(s)) + Wide(factor) * m[j] + carry_m;
            carry_m = r >> kBits;
            t[j - 1] = Limb(r);
        }
        s = Wide(t[n]) + carry_ab + carry_m;
        t[n - 1] = Limb(s);
        t[n] = Limb(s >> kBits);
    }
    // t < 2m: subtract m unless that borrows.
    Limb borrow = 0;
    for (size_t j = 0; j < n; ++j) {
        Wide d = Wide(t[j]) - m[j] - borrow;
        out[j] = Limb(d);
        borrow = Limb(d >> (2 * kBits - 1)) & 1;
    }
    Limb keep_t = Limb(0) - Limb(borrow > t[n]);  // all ones when t < m
    for (size_t j = 0; j < n; ++j) out[j] = (t[j] & keep_t) | (out[j] & ~keep_t);
}

template <typename Limb, typename Wide>
bool ModPowOdd(const Bignum& base, const Bignum& exp, const Bignum& modulus, Bignum& out) {
    auto mont = MontSetup<Limb, Wide>(modulus);
    const size_t n = mont.n;
    // R mod m and base * R mod m by plain division; this happens once.
    const size_t r_words = n * sizeof(Limb) / 4;
    Words r(r_words + 1, 0);
    r[r_words] = 1;
    Bignum one_mont, base_mont, reduced;
    BnMod(Bignum{r}, modulus, one_mont);
    BnMod(base, modulus, reduced);
    Words shifted(r_words, 0);
    shifted.insert(shifted.end(), reduced.words.begin(), reduced.words.end());
    BnMod(Bignum{shifted}, modulus, base_mont);

    constexpr int kWindow = 4;
    std::vector<std::vector<Limb>> table(1 << kWindow, std::vector<Limb>(n));
    table[0] = ToLimbs<Limb>(one_mont.words, n);
    table[1] = ToLimbs<Limb>(base_mont.words, n);
    std::vector<Limb> scratch(n + 2);
    for (size_t i = 2; i < table.size(); ++i)
        MontMul(mont, table[i - 1].data(), table[1].data(), table[i].data(), scratch);

    // Every window costs the same: four squarings, a scan of the whole table
    // and one multiplication, also for a zero window. The exponent's word
    // count is public; its bits are not.
    std::vector<Limb> acc = table[0], picked(n), tmp(n);
    size_t exp_bits = 32 * exp.words.size();
    size_t windows = (exp_bits + kWindow - 1) / kWindow;
    for (size_t w = windows; w-- > 0;) {
        for (int k = 0; k < kWindow; ++k) {
            MontMul(mont, acc.data(), acc.data(), tmp.data(), scratch);
            acc.swap(tmp);
        }
        uint32_t index = 0;
        for (int k = 0; k < kWindow; ++k) index |= uint32_t(BnBit(exp, unsigned(w * kWindow + k))) << k;
        std::fill(picked.begin(), picked.end(), 0);
        for (uint32_t e = 0; e < table.size(); ++e) {
            uint32_t diff = e ^ index;
            Limb mask = Limb(0) - Limb(((diff | (0u - diff)) >> 31) ^ 1);  // all ones when equal
            for (size_t j = 0; j < n; ++j) picked[j] |= table[e][j] & mask;
        }
        MontMul(mont, acc.data(), picked.data(), tmp.data(), scratch);
        acc.swap(tmp);
    }
    std::vector<Limb> one(n, 0);
    one[0] = 1;
    MontMul(mont, acc.data(), one.data(), tmp.data(), scratch);
    out = Trimmed(FromLimbs(tmp));
    return true;
}

}  // namespace

bool BnModPow(const Bignum& base, const Bignum& exp, const Bignum& m, Bignum& out) {
    if (BnIsZero(m)) return false;
    if (BnCompare(m, BnFromUint(1)) == 0) {
        out = Bignum{};
        return true;
    }
    if (m.words[0] & 1) {
#ifdef __SIZEOF_INT128__
        return ModPowOdd<uint64_t, unsigned __int128>(base, exp, m, out);
#else
        return ModPowOdd<uint32_t, uint64_t>(base, exp, m, out);
#endif
    }
    // Even moduli occur in no protocol use; plain square and multiply.
    Bignum result = BnFromUint(1), b;
    BnMod(base, m, b);
    for (unsigned i = BnBitCount(exp); i-- > 0;) {
        BnModMul(result, result, m, result);
        if (BnBit(exp, i)) BnModMul(result, b, m, result);
    }
    out = std::move(result);
    return true;
}

bool BnModInverse(const Bignum& a, const Bignum& m, Bignum& out) {
    if (BnIsZero(m)) return false;
    // Extended Euclid keeping the coefficient of a reduced modulo m.
    Bignum r0 = m, r1, t0, t1 = BnFromUint(1);
    BnMod(a, m, r1);
    while (!BnIsZero(r1)) {
        Bignum q, r2;
        BnDivMod(r0, r1, &q, &r2);
        Bignum qt;
        BnModMul(q, t1, m, qt);
        Bignum t2;
        if (!BnSub(t0, qt, t2)) BnSub(BnAdd(t0, m), qt, t2);
        r0 = std::move(r1);
        r1 = std::move(r2);
        t0 = std::move(t1);
        t1 = std::move(t2);
    }
    if (BnCompare(r0, BnFromUint(1)) != 0) return false;
    BnMod(t0, m, out);
    return true;
}

Bignum BnGcd(const Bignum& a, const Bignum& b) {
    Bignum x = Trimmed(a.words), y = Trimmed(b.words);
    while (!BnIsZero(y)) {
        Bignum r;
        BnMod(x, y, r);
        x = std::move(y);
        y = std::move(r);
    }
    return x;
}

void BnPutMpint(std::vector<uint8_t>& out, const Bignum& n) {
    std::vector<uint8_t> bytes = BnToBytes(n);
    if (!bytes.empty() && (bytes[0] & 0x80)) bytes.insert(bytes.begin(), 0);
    WirePutString(out, bytes);
}

void BnPutSsh1(std::vector<uint8_t>& out, const Bignum& n) {
    unsigned bits = BnBitCount(n);
    out.push_back(uint8_t(bits >> 8));
    out.push_back(uint8_t(bits));
    std::vector<uint8_t> bytes = BnToBytes(n);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace vorto::crypto

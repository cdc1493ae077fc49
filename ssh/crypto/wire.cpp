#include "ssh/crypto/wire.h"

namespace vorto::crypto {

WireReader WireReaderOf(std::span<const uint8_t> bytes) {
    return WireReader{bytes.data(), bytes.size(), false};
}

static bool Take(WireReader& r, size_t count, const uint8_t*& at) {
    if (r.failed || count > r.left) {
        r.failed = true;
        return false;
    }
    at = r.data;
    r.data += count;
    r.left -= count;
    return true;
}

bool WireGetU32(WireReader& r, uint32_t& value) {
    const uint8_t* p;
    if (!Take(r, 4, p)) return false;
    value = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    return true;
}

bool WireGetString(WireReader& r, std::span<const uint8_t>& value) {
    uint32_t length;
    if (!WireGetU32(r, length)) return false;
    const uint8_t* p;
    if (!Take(r, length, p)) return false;
    value = {p, length};
    return true;
}

bool WireGetMpint(WireReader& r, Bignum& value) {
    std::span<const uint8_t> bytes;
    if (!WireGetString(r, bytes)) return false;
    if (!bytes.empty() && (bytes[0] & 0x80)) {
        r.failed = true;
        return false;
    }
    value = BnFromBytes(bytes);
    return true;
}

bool WireGetSsh1Bignum(WireReader& r, Bignum& value) {
    const uint8_t* p;
    if (!Take(r, 2, p)) return false;
    size_t bits = (size_t(p[0]) << 8) | p[1];
    if (!Take(r, (bits + 7) / 8, p)) return false;
    value = BnFromBytes({p, (bits + 7) / 8});
    // The announced bit count must match: a longer number would break the
    // size assumptions of the callers.
    if (BnBitCount(value) > bits) {
        r.failed = true;
        return false;
    }
    return true;
}

void WirePutU32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

void WirePutString(std::vector<uint8_t>& out, std::span<const uint8_t> value) {
    WirePutU32(out, uint32_t(value.size()));
    out.insert(out.end(), value.begin(), value.end());
}

void WirePutString(std::vector<uint8_t>& out, std::string_view value) {
    WirePutString(out, BytesOf(value));
}

}  // namespace vorto::crypto

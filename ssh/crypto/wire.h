// Reading and writing the SSH wire types used by key blobs and signatures.
// The reader checks every length against the bytes that remain; after the
// first failure it stays failed and yields nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "ssh/crypto/bignum.h"

namespace vorto::crypto {

struct WireReader {
    const uint8_t* data = nullptr;
    size_t left = 0;
    bool failed = false;
};

WireReader WireReaderOf(std::span<const uint8_t> bytes);
bool WireGetU32(WireReader& r, uint32_t& value);
bool WireGetString(WireReader& r, std::span<const uint8_t>& value);
// SSH-2 mpint. A negative number is refused: no key or key-exchange value
// of ours may be negative.
bool WireGetMpint(WireReader& r, Bignum& value);
// SSH-1 form: 16-bit bit count, then (bits + 7) / 8 bytes.
bool WireGetSsh1Bignum(WireReader& r, Bignum& value);

void WirePutU32(std::vector<uint8_t>& out, uint32_t value);
void WirePutString(std::vector<uint8_t>& out, std::span<const uint8_t> value);
void WirePutString(std::vector<uint8_t>& out, std::string_view value);

inline std::span<const uint8_t> BytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace vorto::crypto

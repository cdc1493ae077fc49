// Compresses arbitrary bytes packet by packet (sizes chosen by the input)
// and checks that the decompressor gives every packet back exactly.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "ssh/crypto/deflate.h"
#include "ssh/crypto/inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorto::crypto;
    if (size < 2) return 0;
    ZlibCompressor c;
    ZlibDecompressor d;
    ZlibCompressorStart(c);
    ZlibDecompressorStart(d);
    size_t cut = 1 + (size_t(data[0]) << 4);  // packet size
    bool store_some = data[1] & 1;
    std::vector<uint8_t> packed, unpacked;
    for (size_t at = 2, n = 0; at < size; at += cut, ++n) {
        size_t len = size - at < cut ? size - at : cut;
        if (store_some && n % 3 == 1) ZlibDisableNextCompression(c);
        packed.clear();
        unpacked.clear();
        ZlibCompress(c, data + at, len, packed);
        if (!ZlibDecompress(d, packed.data(), packed.size(), unpacked)) abort();
        if (unpacked.size() != len || !std::equal(unpacked.begin(), unpacked.end(), data + at)) abort();
    }
    return 0;
}

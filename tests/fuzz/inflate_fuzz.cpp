// Feeds arbitrary bytes to the SSH zlib decompressor, cut into packets at
// places chosen by the input itself: any outcome but a crash, a hang or a
// sanitizer report is fine.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ssh/crypto/inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorto::crypto;
    if (size < 1) return 0;
    ZlibDecompressor z;
    ZlibDecompressorStart(z);
    // A valid header first, so the fuzzer spends its time in the blocks.
    const uint8_t header[2] = {0x78, 0x9c};
    std::vector<uint8_t> out;
    if (!ZlibDecompress(z, header, 2, out)) return 0;
    size_t cut = 1 + data[0] % 64;  // packet size
    for (size_t at = 1; at < size; at += cut) {
        size_t n = size - at < cut ? size - at : cut;
        out.clear();
        if (!ZlibDecompress(z, data + at, n, out)) break;
    }
    return 0;
}

#include "ssh/crypto/compression.h"

#include <new>

#include "ssh/crypto/deflate.h"
#include "ssh/crypto/inflate.h"

namespace vorto::crypto {

namespace {

void* CompressStart() {
    auto* z = new (std::nothrow) ZlibCompressor;
    if (z) ZlibCompressorStart(*z);
    return z;
}

void CompressEnd(void* ctx) {
    delete static_cast<ZlibCompressor*>(ctx);
}

bool Compress(void* ctx, const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    ZlibCompress(*static_cast<ZlibCompressor*>(ctx), data, length, out);
    return true;
}

void* DecompressStart() {
    auto* z = new (std::nothrow) ZlibDecompressor;
    if (z) ZlibDecompressorStart(*z);
    return z;
}

void DecompressEnd(void* ctx) {
    delete static_cast<ZlibDecompressor*>(ctx);
}

bool Decompress(void* ctx, const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    return ZlibDecompress(*static_cast<ZlibDecompressor*>(ctx), data, length, out);
}

int Disable(void* ctx) {
    return ZlibDisableNextCompression(*static_cast<ZlibCompressor*>(ctx));
}

// "none" keeps no state; a non-null token keeps "start failed" distinct.
uint8_t gNoneToken;
void* NoneStart() { return &gNoneToken; }
void NoneEnd(void*) {}
bool PassThrough(void*, const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    out.insert(out.end(), data, data + length);
    return true;
}
int NoneDisable(void*) { return 0; }

}  // namespace

const SshCompression kCompressionZlib = {"zlib",          CompressStart, CompressEnd, Compress, DecompressStart,
                                         DecompressEnd,   Decompress,    Disable,     "zlib (RFC1950)"};
const SshCompression kCompressionNone = {"none",   NoneStart,   NoneEnd, PassThrough, NoneStart,
                                         NoneEnd, PassThrough, NoneDisable, "none"};

const SshCompression* FindCompression(std::string_view name) {
    if (name == kCompressionZlib.name) return &kCompressionZlib;
    if (name == kCompressionNone.name) return &kCompressionNone;
    return nullptr;
}

}  // namespace vorto::crypto

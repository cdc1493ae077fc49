// The SSH-2 compression methods behind one record of operations: "zlib"
// and "none".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vorto::crypto {

struct SshCompression {
    const char* name;
    void* (*compress_start)();  // null when out of memory
    void (*compress_end)(void* ctx);
    // Appends the compressed packet to `out`.
    bool (*compress)(void* ctx, const uint8_t* data, size_t length, std::vector<uint8_t>& out);
    void* (*decompress_start)();
    void (*decompress_end)(void* ctx);
    // Appends the decompressed packet to `out`; false on a malformed stream.
    bool (*decompress)(void* ctx, const uint8_t* data, size_t length, std::vector<uint8_t>& out);
    // The next packet is sent without compression; returns the bytes that
    // the compressed form adds to its length.
    int (*disable_compression)(void* ctx);
    const char* display_name;
};

extern const SshCompression kCompressionZlib;
extern const SshCompression kCompressionNone;

// By protocol name; null when unknown.
const SshCompression* FindCompression(std::string_view name);

}  // namespace vorto::crypto

// Where the public-key code takes its random bytes from: the connection's
// random pool in the program, a fixed generator in tests.
#pragma once

#include <cstdint>

namespace vorto::crypto {

struct RandomSource {
    void* ctx;
    uint8_t (*next_byte)(void* ctx);
};

}  // namespace vorto::crypto

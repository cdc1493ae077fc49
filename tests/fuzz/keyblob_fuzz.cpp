// Parses arbitrary bytes as public-key blobs, private blobs, the agent's
// private encoding and signatures of both key algorithms.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ssh/crypto/hostkey.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorto::crypto;
    if (size < 2) return 0;
    // The first two bytes give the length of the first blob; the rest is the second.
    std::span<const uint8_t> input(data + 2, size - 2);
    size_t split = ((size_t(data[0]) << 8) | data[1]) % (input.size() + 1);
    std::span<const uint8_t> first = input.first(split), second = input.subspan(split);
    for (const SshKeyAlgorithm* alg : {&kKeyRsa, &kKeyDss}) {
        alg->public_blob_bits(input);
        if (void* key = alg->from_public_blob(first)) {
            alg->verify(key, second, first);
            alg->key_text(key);
            alg->fingerprint(key);
            alg->free_key(key);
        }
        if (void* key = alg->from_blobs(first, second)) {
            std::vector<uint8_t> sig;
            alg->sign(key, input, 0, sig);
            alg->free_key(key);
        }
        WireReader r = WireReaderOf(input);
        if (void* key = alg->from_openssh_private(r)) alg->free_key(key);
    }
    return 0;
}

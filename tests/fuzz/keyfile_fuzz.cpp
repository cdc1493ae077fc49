// Feeds arbitrary bytes to the key file readers as a whole file: our own
// SSH-2 text format (public part and full load) and the SSH-1 format, each
// without a passphrase and with the one the test fixtures use, so that
// mutated fixtures reach the decryption paths.
#include <cstddef>
#include <cstdint>
#include <span>

#include "ssh/keyfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorto::ssh;
    std::span<const uint8_t> file(data, size);
    IdentifyKeyBytes(file);

    Ssh2PublicKey ssh2_public;
    ParseSsh2PublicKey(file, ssh2_public);
    Ssh1PublicKey ssh1_public;
    ParseSsh1PublicKey(file, ssh1_public);

    for (const char* passphrase : {static_cast<const char*>(nullptr), "correct-horse-battery"}) {
        Ssh2Key ssh2_key;
        KeyLoadResult result = ParseSsh2Key(file, passphrase, ssh2_key);
        if ((result.status == kKeyLoaded) != (ssh2_key.key != nullptr)) __builtin_trap();
        Ssh1Key ssh1_key;
        result = ParseSsh1Key(file, passphrase, ssh1_key);
        if ((result.status == kKeyLoaded) != (result.error == nullptr)) __builtin_trap();
    }
    return 0;
}

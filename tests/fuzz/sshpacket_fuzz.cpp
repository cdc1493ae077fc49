// Feeds arbitrary bytes into incoming packet parsers and into the KEXINIT
// parser and the algorithm choice. One parser runs in the clear with zlib,
// so that the fuzzer reaches payloads and the decompressor; one decrypts
// with fixed keys and checks a MAC, as after a key exchange. The first byte
// picks where the input is split into two feeds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ssh/sshkex.h"
#include "ssh/sshpacket.h"

namespace {

using vorto::crypto::RandomSource;
using namespace vorto::ssh;

uint8_t Counter(void* ctx) {
    return (*static_cast<uint8_t*>(ctx))++;
}

void Drain(PacketIn& in, std::span<const uint8_t> bytes, size_t split) {
    std::vector<uint8_t> payload;
    PacketInFeed(in, bytes.first(split));
    while (PacketRead(in, payload) == PacketResult::kPacket) {
    }
    PacketInFeed(in, bytes.subspan(split));
    while (PacketRead(in, payload) == PacketResult::kPacket) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    const size_t split = size ? data[0] % (size + 1) : 0;

    PacketKeys clear;
    clear.mac = &vorto::crypto::kMacNone;
    clear.compression = &vorto::crypto::kCompressionZlib;
    PacketIn plain;
    PacketInSetKeys(plain, clear);
    Drain(plain, bytes, split);

    PacketKeys keyed;
    keyed.cipher = &vorto::crypto::kCipherAes128;
    keyed.mac = &vorto::crypto::kMacHmacSha1;
    keyed.compression = &vorto::crypto::kCompressionZlib;
    for (size_t i = 0; i < kDerivedKeyLength; ++i) keyed.iv[i] = keyed.cipher_key[i] = keyed.mac_key[i] = uint8_t(i);
    PacketIn encrypted;
    PacketInSetKeys(encrypted, keyed);
    Drain(encrypted, bytes, split);

    uint8_t counter = 0;
    RandomSource random{&counter, Counter};
    KexInit client, server;
    ParseKexInit(BuildClientKexInit({}, random), client);
    std::vector<uint8_t> kexinit(data, data + size);
    if (!kexinit.empty()) kexinit[0] = kMsgKexInit;
    if (ParseKexInit(kexinit, server)) {
        KexChoice choice;
        std::string error;
        ChooseAlgorithms(client, server, size % 2, choice, error);
    }
    return 0;
}

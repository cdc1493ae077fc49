#include "ssh/sshpacket.h"

#include <algorithm>

#include "ssh/crypto/hash_util.h"

namespace vorto::ssh {

namespace {

constexpr char kGarbled[] = "Incoming packet was garbled on decryption";
constexpr char kBadMac[] = "Incorrect MAC received on packet";
constexpr char kBadCompression[] = "Incoming packet could not be decompressed";
constexpr char kNoMemory[] = "Out of memory setting up packet keys";

// Consumed bytes are dropped from the front of the buffer once there are
// this many, so a long stream of small packets costs no repeated moves.
constexpr size_t kCompactThreshold = 32 * 1024;

void FreeCrypto(PacketCrypto& c, bool outgoing) {
    if (c.cipher_ctx) c.cipher->free(c.cipher_ctx);
    if (c.mac_ctx) c.mac->free(c.mac_ctx);
    if (c.compression_ctx) {
        if (outgoing) c.compression->compress_end(c.compression_ctx);
        else c.compression->decompress_end(c.compression_ctx);
    }
    c = PacketCrypto{};
}

bool SetKeys(PacketCrypto& c, std::string& error, const PacketKeys& keys, bool outgoing) {
    if (!error.empty()) return false;
    FreeCrypto(c, outgoing);
    c.cipher = keys.cipher;
    c.mac = keys.mac;
    c.compression = keys.compression;
    bool ok = true;
    if (c.cipher) {
        c.cipher_ctx = c.cipher->create();
        ok = c.cipher_ctx != nullptr;
        if (ok) {
            c.cipher->set_key(c.cipher_ctx, keys.cipher_key.data());
            c.cipher->set_iv(c.cipher_ctx, keys.iv.data());
        }
    }
    if (ok && c.mac) {
        c.mac_ctx = c.mac->create();
        ok = c.mac_ctx != nullptr;
        if (ok) c.mac->set_key(c.mac_ctx, keys.mac_key.data());
    }
    // Each key exchange starts a fresh compression stream.
    if (ok && c.compression) {
        c.compression_ctx = outgoing ? c.compression->compress_start() : c.compression->decompress_start();
        ok = c.compression_ctx != nullptr;
    }
    if (!ok) {
        FreeCrypto(c, outgoing);
        error = kNoMemory;
    }
    return ok;
}

size_t BlockSize(const PacketCrypto& c) {
    return c.cipher ? std::max<size_t>(c.cipher->block_size, 8) : 8;
}

size_t MacLength(const PacketCrypto& c) {
    return c.mac ? c.mac->mac_length : 0;
}

PacketResult Fail(PacketIn& in, const char* text) {
    in.error = text;
    return PacketResult::kError;
}

}  // namespace

PacketKeys::~PacketKeys() {
    crypto::Wipe(iv.data(), iv.size());
    crypto::Wipe(cipher_key.data(), cipher_key.size());
    crypto::Wipe(mac_key.data(), mac_key.size());
}

PacketOut::~PacketOut() {
    FreeCrypto(crypto, true);
    crypto::Wipe(scratch.data(), scratch.size());
}

PacketIn::~PacketIn() {
    FreeCrypto(crypto, false);
    crypto::Wipe(buffer.data(), buffer.size());
}

bool PacketOutSetKeys(PacketOut& out, const PacketKeys& keys) {
    return SetKeys(out.crypto, out.error, keys, true);
}

bool PacketInSetKeys(PacketIn& in, const PacketKeys& keys) {
    return SetKeys(in.crypto, in.error, keys, false);
}

bool PacketWrite(PacketOut& out, std::span<const uint8_t> payload, crypto::RandomSource& random,
                 std::vector<uint8_t>& wire) {
    if (!out.error.empty()) return false;
    const PacketCrypto& c = out.crypto;
    if (c.compression_ctx) {
        out.scratch.clear();
        if (!c.compression->compress(c.compression_ctx, payload.data(), payload.size(), out.scratch)) {
            out.error = "Outgoing packet could not be compressed";
            return false;
        }
        payload = out.scratch;
    }
    const size_t block = BlockSize(c);
    // At least 4 bytes of padding, and the whole packet a block multiple.
    size_t padding = block - (5 + payload.size()) % block;
    if (padding < 4) padding += block;
    const size_t length = 1 + payload.size() + padding;
    if (length > kMaxPacketLength) {
        out.error = "Outgoing packet is too large";
        return false;
    }
    const size_t at = wire.size();
    wire.resize(at + 4 + length + MacLength(c));
    uint8_t* packet = wire.data() + at;
    crypto::StoreBe32(packet, uint32_t(length));
    packet[4] = uint8_t(padding);
    std::copy(payload.begin(), payload.end(), packet + 5);
    for (size_t i = 0; i < padding; ++i) packet[5 + payload.size() + i] = random.next_byte(random.ctx);
    if (c.mac_ctx) c.mac->generate(c.mac_ctx, packet, 4 + length, out.sequence);
    if (c.cipher_ctx) c.cipher->encrypt(c.cipher_ctx, packet, 4 + length);
    out.sequence++;
    return true;
}

void PacketInFeed(PacketIn& in, std::span<const uint8_t> bytes) {
    if (!in.error.empty()) return;
    in.buffer.insert(in.buffer.end(), bytes.begin(), bytes.end());
}

PacketResult PacketRead(PacketIn& in, std::vector<uint8_t>& payload) {
    if (!in.error.empty()) return PacketResult::kError;
    const PacketCrypto& c = in.crypto;
    const size_t block = BlockSize(c);
    const size_t available = in.buffer.size() - in.start;
    uint8_t* packet = in.buffer.data() + in.start;
    if (!in.have_length) {
        if (available < block) return PacketResult::kNeedMore;
        if (c.cipher_ctx) c.cipher->decrypt(c.cipher_ctx, packet, block);
        in.have_length = true;
        in.length = crypto::LoadBe32(packet);
        const uint32_t padding = packet[4];
        // Checked before anything waits for the rest: a bad length must not
        // make us buffer up to it.
        if (in.length > kMaxPacketLength || (in.length + 4) % block != 0 || padding < 4 || padding >= in.length)
            return Fail(in, kGarbled);
    }
    const size_t total = 4 + size_t(in.length) + MacLength(c);
    if (available < total) return PacketResult::kNeedMore;
    if (c.cipher_ctx) c.cipher->decrypt(c.cipher_ctx, packet + block, 4 + in.length - block);
    if (c.mac_ctx && !c.mac->verify(c.mac_ctx, packet, 4 + in.length, in.sequence)) return Fail(in, kBadMac);
    const uint8_t* data = packet + 5;
    const size_t size = in.length - 1 - packet[4];
    payload.clear();
    if (c.compression_ctx) {
        if (!c.compression->decompress(c.compression_ctx, data, size, payload)) return Fail(in, kBadCompression);
    } else {
        payload.assign(data, data + size);
    }
    in.sequence++;
    in.have_length = false;
    in.start += total;
    if (in.start == in.buffer.size() || in.start >= kCompactThreshold) {
        crypto::Wipe(in.buffer.data(), in.start);
        in.buffer.erase(in.buffer.begin(), in.buffer.begin() + in.start);
        in.start = 0;
    }
    return PacketResult::kPacket;
}

}  // namespace vorto::ssh

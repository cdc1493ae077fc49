// The socket's send queue: bytes waiting to be handed to the system, kept
// as a chain of blocks so that appending never moves what is queued.
// Portable; the socket layer drains it from the front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>

namespace vorto::ssh {

// Appends smaller than this share blocks of this size; a larger append
// gets one block of its own length.
constexpr size_t kSendBlockSize = 16384;

class SendQueue {
 public:
    void Append(const void* data, size_t length);
    // The unsent bytes of the first block; empty when the queue is.
    std::span<const uint8_t> Front() const;
    // Drops `count` bytes from the front (at most Size()).
    void Consume(size_t count);
    size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    void Clear();

 private:
    struct Block {
        std::unique_ptr<uint8_t[]> bytes;
        size_t capacity = 0;
        size_t start = 0;  // first unsent byte
        size_t end = 0;    // one past the last queued byte
    };
    std::deque<Block> blocks_;
    size_t size_ = 0;
};

}  // namespace vorto::ssh

#include "ssh/sendqueue.h"

#include <algorithm>
#include <cstring>

namespace vorto::ssh {

void SendQueue::Append(const void* data, size_t length) {
    const uint8_t* from = static_cast<const uint8_t*>(data);
    if (!blocks_.empty()) {
        Block& tail = blocks_.back();
        size_t room = std::min(tail.capacity - tail.end, length);
        if (room > 0) {
            std::memcpy(tail.bytes.get() + tail.end, from, room);
            tail.end += room;
            from += room;
            length -= room;
            size_ += room;
        }
    }
    if (length == 0) return;
    Block block;
    block.capacity = std::max(length, kSendBlockSize);
    block.bytes = std::make_unique_for_overwrite<uint8_t[]>(block.capacity);
    std::memcpy(block.bytes.get(), from, length);
    block.end = length;
    blocks_.push_back(std::move(block));
    size_ += length;
}

std::span<const uint8_t> SendQueue::Front() const {
    if (blocks_.empty()) return {};
    const Block& head = blocks_.front();
    return {head.bytes.get() + head.start, head.end - head.start};
}

void SendQueue::Consume(size_t count) {
    count = std::min(count, size_);
    size_ -= count;
    while (count > 0) {
        Block& head = blocks_.front();
        size_t taken = std::min(count, head.end - head.start);
        head.start += taken;
        count -= taken;
        if (head.start == head.end) blocks_.pop_front();
    }
}

void SendQueue::Clear() {
    blocks_.clear();
    size_ = 0;
}

}  // namespace vorto::ssh

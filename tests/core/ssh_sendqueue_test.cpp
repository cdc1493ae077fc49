#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ssh/sendqueue.h"

using namespace vorto::ssh;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t start, size_t length) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t((start + i) * 131 + (start + i) / 257);
    return bytes;
}

// Takes at most `limit` bytes from the front, as a send would.
Bytes Take(SendQueue& queue, size_t limit) {
    auto front = queue.Front();
    Bytes taken(front.begin(), front.begin() + std::min(limit, front.size()));
    queue.Consume(taken.size());
    return taken;
}

TEST(SendQueue, StartsEmpty) {
    SendQueue queue;
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_TRUE(queue.Front().empty());
    queue.Consume(10);
    EXPECT_TRUE(queue.Empty());
}

TEST(SendQueue, SmallAppendsShareABlock) {
    SendQueue queue;
    Bytes a = Pattern(0, 100), b = Pattern(100, 200);
    queue.Append(a.data(), a.size());
    queue.Append(b.data(), b.size());
    EXPECT_EQ(queue.Size(), 300u);
    EXPECT_EQ(Bytes(queue.Front().begin(), queue.Front().end()), Pattern(0, 300));
}

TEST(SendQueue, LargeAppendIsOneBlock) {
    SendQueue queue;
    Bytes big = Pattern(0, 3 * kSendBlockSize + 5);
    queue.Append(big.data(), big.size());
    EXPECT_EQ(queue.Front().size(), big.size());
}

TEST(SendQueue, FillsTheTailThenChains) {
    SendQueue queue;
    Bytes first = Pattern(0, kSendBlockSize - 10);
    Bytes second = Pattern(kSendBlockSize - 10, 30);
    queue.Append(first.data(), first.size());
    queue.Append(second.data(), second.size());
    EXPECT_EQ(queue.Size(), kSendBlockSize + 20);
    EXPECT_EQ(queue.Front().size(), kSendBlockSize);
    EXPECT_EQ(Take(queue, SIZE_MAX), Pattern(0, kSendBlockSize));
    EXPECT_EQ(Take(queue, SIZE_MAX), Pattern(kSendBlockSize, 20));
    EXPECT_TRUE(queue.Empty());
}

// Appends and partial takes interleaved in uneven sizes keep every byte in
// order, as a send loop that the system serves in pieces would see them.
TEST(SendQueue, InterleavedAppendsAndTakesKeepOrder) {
    SendQueue queue;
    size_t appended = 0;
    Bytes out;
    const size_t sizes[] = {1, 7, 4096, 16383, 16384, 16385, 50000, 3, 0, 100000};
    const size_t takes[] = {5, 1, 9000, 16384, 20000, 2, 70000};
    for (int round = 0; round < 20; ++round) {
        size_t n = sizes[round % std::size(sizes)];
        Bytes chunk = Pattern(appended, n);
        queue.Append(chunk.data(), chunk.size());
        appended += n;
        Bytes taken = Take(queue, takes[round % std::size(takes)]);
        out.insert(out.end(), taken.begin(), taken.end());
        EXPECT_EQ(queue.Size(), appended - out.size());
    }
    while (!queue.Empty()) {
        Bytes taken = Take(queue, 777);
        ASSERT_FALSE(taken.empty());
        out.insert(out.end(), taken.begin(), taken.end());
    }
    EXPECT_EQ(out, Pattern(0, appended));
}

TEST(SendQueue, ConsumeAcrossBlocksAndBeyondTheEnd) {
    SendQueue queue;
    Bytes a = Pattern(0, kSendBlockSize), b = Pattern(kSendBlockSize, 100);
    queue.Append(a.data(), a.size());
    queue.Append(b.data(), b.size());
    queue.Consume(kSendBlockSize + 40);
    EXPECT_EQ(Bytes(queue.Front().begin(), queue.Front().end()), Pattern(kSendBlockSize + 40, 60));
    queue.Consume(1000);
    EXPECT_TRUE(queue.Empty());
    EXPECT_TRUE(queue.Front().empty());
}

TEST(SendQueue, ClearDropsEverything) {
    SendQueue queue;
    Bytes a = Pattern(0, 50000);
    queue.Append(a.data(), a.size());
    queue.Clear();
    EXPECT_TRUE(queue.Empty());
    queue.Append(a.data(), 10);
    EXPECT_EQ(Bytes(queue.Front().begin(), queue.Front().end()), Pattern(0, 10));
}

}  // namespace

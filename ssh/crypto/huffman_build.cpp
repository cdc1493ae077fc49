#include "ssh/crypto/huffman_build.h"

#include <algorithm>
#include <queue>
#include <vector>

namespace vorto::crypto {

namespace {

// Plain Huffman code lengths; may exceed any limit.
void HuffmanLengths(const std::vector<uint32_t>& freq, std::vector<int>& depth) {
    int n = int(freq.size());
    std::vector<int> parent(2 * n, -1);
    using Node = std::pair<uint64_t, int>;  // weight, index
    std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
    for (int i = 0; i < n; ++i)
        if (freq[i]) heap.push({freq[i], i});
    int next = n;
    while (heap.size() > 1) {
        Node a = heap.top();
        heap.pop();
        Node b = heap.top();
        heap.pop();
        parent[a.second] = parent[b.second] = next;
        heap.push({a.first + b.first, next++});
    }
    depth.assign(n, 0);
    for (int i = 0; i < n; ++i) {
        if (!freq[i]) continue;
        int d = 0;
        for (int p = parent[i]; p >= 0; p = parent[p]) ++d;
        depth[i] = d;
    }
}

}  // namespace

void BuildCodeLengths(const uint32_t* frequencies, int n, int max_bits, uint8_t* lengths) {
    std::vector<uint32_t> freq(frequencies, frequencies + n);
    int used = int(std::count_if(freq.begin(), freq.end(), [](uint32_t f) { return f != 0; }));
    for (int i = 0; i < n && used < 2; ++i) {
        if (!freq[i]) {
            freq[i] = 1;
            ++used;
        }
    }
    std::vector<int> depth;
    while (true) {
        HuffmanLengths(freq, depth);
        if (*std::max_element(depth.begin(), depth.end()) <= max_bits) break;
        // Flatten the distribution and try again; each round halves the
        // spread, so this ends within a few rounds.
        for (uint32_t& f : freq)
            if (f) f = (f + 1) / 2;
    }
    for (int i = 0; i < n; ++i) lengths[i] = uint8_t(depth[i]);
}

void CanonicalCodes(const uint8_t* lengths, int n, uint16_t* codes) {
    uint16_t count[16] = {}, next[16] = {};
    for (int i = 0; i < n; ++i) ++count[lengths[i]];
    count[0] = 0;
    uint16_t code = 0;
    for (int bits = 1; bits < 16; ++bits) {
        code = uint16_t((code + count[bits - 1]) << 1);
        next[bits] = code;
    }
    for (int i = 0; i < n; ++i) codes[i] = lengths[i] ? next[lengths[i]]++ : 0;
}

}  // namespace vorto::crypto

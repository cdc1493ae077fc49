// Receive throughput of the socket layer under Wine: the layer's readable
// handler (20480-byte reads, owner notice, noise) against raw recv calls of
// 4096, 20480 and 65536 bytes on the same kind of socket, each after the
// pump's select, the layer's three calls (select, the urgent-mark question,
// recv) done raw, and 20480-byte recv calls alone; side by side in one run,
// medians of several connections. Under Wine each call is a round trip to
// the wine server, so the count of calls per read decides the rate. Links no socket library: the
// layer loads WinSock by name, and the raw reads go through its binding.
// Usage: bench_net.exe PORT SIZE_MIB ROUNDS (tests/bench/net_source.py
// serves SIZE_MIB per connection for 6 x ROUNDS connections).
#include "ssh/winsock_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ssh/network_win.h"

using namespace vorto::ssh;

namespace {

struct Count {
    uint64_t bytes = 0;
    bool closed = false;
};

NetOwner CountingOwner(Count& count) {
    NetOwner owner;
    owner.ctx = &count;
    owner.received = [](void* ctx, const uint8_t*, size_t length, bool) { static_cast<Count*>(ctx)->bytes += length; };
    owner.closed = [](void* ctx, const char*) { static_cast<Count*>(ctx)->closed = true; };
    return owner;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// One connection read to its end; 0 as read size means the layer's
// handler, else raw recv of that size, with or without a select before
// each. Returns MiB/s, or -1 on failure.
double ReadOne(int port, int read_size, bool wait, bool ask_mark, uint64_t expected) {
    Count count;
    const char* error = nullptr;
    NetSocket* socket = NetConnect(NetLookup("127.0.0.1", nullptr), port, CountingOwner(count), &error);
    if (!socket) {
        std::printf("connect: %s\n", error);
        return -1;
    }
    std::vector<char> buffer(std::max(read_size, 1));
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    if (read_size == 0) {
        while (!count.closed && NetWaitReadable(socket, -1) == NetResult::kOk)
            NetHandleReadable(NetSocketHandle(socket));
    } else {
        SOCKET handle = SOCKET(NetSocketHandle(socket));
        for (;;) {
            if (wait && NetWaitReadable(socket, -1) != NetResult::kOk) break;
            u_long at_mark = 1;
            if (ask_mark) Winsock().ioctlsocket(handle, SIOCATMARK, &at_mark);
            int got = Winsock().recv(handle, buffer.data(), read_size, 0);
            if (got <= 0) break;
            count.bytes += uint64_t(got);
        }
    }
    QueryPerformanceCounter(&b);
    NetClose(socket);
    if (count.bytes != expected) {
        std::printf("short read: %llu of %llu\n", (unsigned long long)count.bytes, (unsigned long long)expected);
        return -1;
    }
    return double(count.bytes) / (1024.0 * 1024.0) / Seconds(a, b);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    int port = std::atoi(argv[1]);
    uint64_t size = uint64_t(std::atoi(argv[2])) << 20;
    int rounds = std::atoi(argv[3]);
    if (NetLayerStart() != NetResult::kOk) {
        std::printf("%s\n", NetLayerError());
        return 1;
    }
    struct Variant {
        const char* name;
        int read_size;
        bool wait;
        bool ask_mark;
        std::vector<double> rates;
    } variants[] = {{"layer, 20480-byte reads", 0, true, true, {}},
                    {"select+mark+recv 20480", 20480, true, true, {}},
                    {"select + recv 4096", 4096, true, false, {}},
                    {"select + recv 20480", 20480, true, false, {}},
                    {"select + recv 65536", 65536, true, false, {}},
                    {"recv 20480 alone", 20480, false, false, {}}};
    // Alternating, so that the machine's noise falls on all alike.
    for (int round = 0; round < rounds; ++round)
        for (Variant& v : variants) {
            double rate = ReadOne(port, v.read_size, v.wait, v.ask_mark, size);
            if (rate < 0) return 1;
            v.rates.push_back(rate);
        }
    std::printf("receive %d MiB per connection, median of %d:\n", int(size >> 20), rounds);
    for (const Variant& v : variants) std::printf("  %-25s %8.1f MiB/s\n", v.name, Median(v.rates));
    NetLayerStop();
    return 0;
}

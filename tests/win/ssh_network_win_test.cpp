// The socket layer against real loopback peers. Each peer is a thread of
// this test that uses WinSock directly (this test links ws2_32; the layer
// itself loads WinSock by name). Stubbed entry points stage the failures a
// loopback peer cannot cause.
#include "ssh/winsock_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "ssh/network_win.h"

using namespace vorto::ssh;

namespace {

using Bytes = std::vector<uint8_t>;

uint8_t PatternByte(uint64_t at) {
    uint64_t x = at * 0x9E3779B97F4A7C15ull;
    return uint8_t(x >> 56) ^ uint8_t(at >> 20);
}

Bytes Pattern(uint64_t start, size_t length) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = PatternByte(start + i);
    return bytes;
}

uint64_t Fnv1a(uint64_t hash, const uint8_t* data, size_t length) {
    for (size_t i = 0; i < length; ++i) hash = (hash ^ data[i]) * 0x100000001B3ull;
    return hash;
}
constexpr uint64_t kFnvStart = 0xCBF29CE484222325ull;

// A listening socket on 127.0.0.1 with a free port.
class Listener {
 public:
    Listener() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(socket_, 4);
    }
    ~Listener() { ::closesocket(socket_); }
    int port() const { return port_; }
    SOCKET Accept() { return ::accept(socket_, nullptr, nullptr); }

 private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

void SendAll(SOCKET peer, const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        int sent = ::send(peer, reinterpret_cast<const char*>(bytes.data() + done), int(bytes.size() - done), 0);
        if (sent <= 0) return;
        done += size_t(sent);
    }
}

// An abortive close: the peer's system answers with a reset.
void Reset(SOCKET peer) {
    linger option = {1, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option), sizeof option);
    ::closesocket(peer);
}

// What the owner was told.
struct Recorder {
    Bytes data;
    int closes = 0;
    bool closed_with_text = false;
    std::string close_text;
    std::vector<size_t> send_space;
    std::vector<std::pair<size_t, bool>> chunks;  // length, urgent

    NetOwner Owner() {
        NetOwner owner;
        owner.ctx = this;
        owner.received = [](void* ctx, const uint8_t* bytes, size_t length, bool urgent) {
            auto* self = static_cast<Recorder*>(ctx);
            self->data.insert(self->data.end(), bytes, bytes + length);
            self->chunks.emplace_back(length, urgent);
        };
        owner.closed = [](void* ctx, const char* text) {
            auto* self = static_cast<Recorder*>(ctx);
            ++self->closes;
            self->closed_with_text = text != nullptr;
            self->close_text = text ? text : "";
        };
        owner.send_space = [](void* ctx, size_t queued) { static_cast<Recorder*>(ctx)->send_space.push_back(queued); };
        return owner;
    }
};

// Stubs for staged failures.
std::atomic<int> gStubError{0};
std::atomic<int> gLookups{0};
decltype(&::gethostbyname) gRealGethostbyname = nullptr;

int WSAAPI StubLastError() {
    return gStubError;
}
int WSAAPI FailingSend(SOCKET, const char*, int, int) {
    return SOCKET_ERROR;
}
hostent* WSAAPI FailingLookup(const char*) {
    ++gLookups;
    return nullptr;
}
hostent* WSAAPI CountingLookup(const char* name) {
    ++gLookups;
    return gRealGethostbyname(name);
}

class SshNetwork : public ::testing::Test {
 protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        ASSERT_EQ(NetLayerStart(), NetResult::kOk) << NetLayerError();
        saved_ = Winsock();
        gLookups = 0;
    }
    void TearDown() override {
        if (peer_.joinable()) peer_.join();
        NetSetSendTimeoutForTests(0);
        for (NetSocket* socket : sockets_) NetClose(socket);
        if (NetLayerStarted()) Winsock() = saved_;
        NetLayerStop();
        WSACleanup();
    }

    NetSocket* Connect(int port, Recorder& recorder) {
        const char* error = "not called";
        NetAddress address = NetLookup("127.0.0.1", nullptr);
        NetSocket* socket = NetConnect(address, port, recorder.Owner(), &error);
        EXPECT_NE(socket, nullptr) << error;
        EXPECT_EQ(error, nullptr);
        if (socket) sockets_.push_back(socket);
        return socket;
    }
    void Forget(NetSocket* socket) { std::erase(sockets_, socket); }

    // One step of the pump: wait until readable, then read.
    NetEvent Pump(NetSocket* socket) {
        NetResult waited = NetWaitReadable(socket, 20000);
        EXPECT_EQ(waited, NetResult::kOk);
        if (waited != NetResult::kOk) return NetEvent::kNone;
        return NetHandleReadable(NetSocketHandle(socket));
    }
    // Pumps until `count` bytes have come or something else happens.
    NetEvent PumpUntil(NetSocket* socket, Recorder& recorder, size_t count) {
        NetEvent event = NetEvent::kData;
        while (recorder.data.size() < count && event == NetEvent::kData) event = Pump(socket);
        return event;
    }

    WinsockApi saved_;
    std::thread peer_;
    std::vector<NetSocket*> sockets_;
};

TEST_F(SshNetwork, DottedAddressConnectsWithoutLookup) {
    gRealGethostbyname = saved_.gethostbyname;
    Winsock().gethostbyname = CountingLookup;
    Listener listener;
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        SendAll(peer, Bytes{'h', 'e', 'l', 'l', 'o'});
        ::closesocket(peer);
    });

    std::string canonical;
    NetAddress address = NetLookup("127.0.0.1", &canonical);
    EXPECT_EQ(address.error, nullptr);
    EXPECT_EQ(address.ipv4, 0x7F000001u);
    EXPECT_EQ(address.family, AF_INET);
    EXPECT_EQ(canonical, "127.0.0.1");
    Recorder recorder;
    const char* error = nullptr;
    NetSocket* socket = NetConnect(address, listener.port(), recorder.Owner(), &error);
    ASSERT_NE(socket, nullptr) << error;
    sockets_.push_back(socket);
    EXPECT_EQ(gLookups, 0);

    EXPECT_EQ(PumpUntil(socket, recorder, 5), NetEvent::kData);
    EXPECT_EQ(recorder.data, (Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(Pump(socket), NetEvent::kClosed);
    EXPECT_EQ(recorder.closes, 1);
    EXPECT_FALSE(recorder.closed_with_text);
    EXPECT_EQ(gLookups, 0);
}

TEST_F(SshNetwork, NameIsLookedUpWithGethostbyname) {
    gRealGethostbyname = saved_.gethostbyname;
    Winsock().gethostbyname = CountingLookup;
    std::string canonical;
    NetAddress address = NetLookup("localhost", &canonical);
    EXPECT_EQ(gLookups, 1);
    ASSERT_EQ(address.error, nullptr);
    EXPECT_EQ(address.ipv4, 0x7F000001u);
    EXPECT_FALSE(canonical.empty());
}

TEST_F(SshNetwork, EmptyHostIsRefusedBeforeAnyLookup) {
    gRealGethostbyname = saved_.gethostbyname;
    Winsock().gethostbyname = CountingLookup;
    std::string canonical = "untouched";
    NetAddress address = NetLookup("", &canonical);
    EXPECT_EQ(gLookups, 0);
    EXPECT_STREQ(address.error, "Host does not exist");
    EXPECT_EQ(canonical, "untouched");
}

TEST_F(SshNetwork, UnknownHostDoesNotExist) {
    std::string canonical = "untouched";
    NetAddress address = NetLookup("nonexistent.invalid", &canonical);
    ASSERT_NE(address.error, nullptr);
    // A machine whose resolver cannot be reached answers "try again"; the
    // text for that case is checked with a staged failure below.
    if (std::string(address.error) == "Host not found") GTEST_SKIP() << "no DNS resolver reachable here";
    EXPECT_STREQ(address.error, "Host does not exist");
    EXPECT_EQ(canonical, "untouched");
    Recorder recorder;
    const char* error = nullptr;
    EXPECT_EQ(NetConnect(address, 22, recorder.Owner(), &error), nullptr);
    EXPECT_STREQ(error, "Host does not exist");
}

TEST_F(SshNetwork, LookupFailuresHaveTheirTexts) {
    Winsock().gethostbyname = FailingLookup;
    Winsock().WSAGetLastError = StubLastError;
    const std::pair<int, const char*> cases[] = {{WSAENETDOWN, "Network is down"},
                                                 {WSAHOST_NOT_FOUND, "Host does not exist"},
                                                 {WSATRY_AGAIN, "Host not found"},
                                                 {WSANO_RECOVERY, "gethostbyname: unknown error"}};
    for (auto [code, text] : cases) {
        gStubError = code;
        EXPECT_STREQ(NetLookup("some.host", nullptr).error, text) << code;
    }
}

TEST_F(SshNetwork, RefusedPort) {
    // A port that was just free and has no listener.
    int port;
    {
        Listener gone;
        port = gone.port();
    }
    Recorder recorder;
    const char* error = nullptr;
    NetSocket* socket = NetConnect(NetLookup("127.0.0.1", nullptr), port, recorder.Owner(), &error);
    EXPECT_EQ(socket, nullptr);
    EXPECT_STREQ(error, "Network error: Connection refused");
}

TEST_F(SshNetwork, ResetMidStreamIsReportedAtTheNextRead) {
    Listener listener;
    HANDLE read_all = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        SendAll(peer, Pattern(0, 1000));
        WaitForSingleObject(read_all, 20000);
        Reset(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(PumpUntil(socket, recorder, 1000), NetEvent::kData);
    EXPECT_EQ(recorder.data, Pattern(0, 1000));
    EXPECT_EQ(recorder.closes, 0);
    SetEvent(read_all);
    peer_.join();

    EXPECT_EQ(Pump(socket), NetEvent::kFailed);
    EXPECT_EQ(recorder.closes, 1);
    EXPECT_TRUE(recorder.closed_with_text);
    EXPECT_EQ(recorder.close_text, "Network error: Connection reset by peer");
    CloseHandle(read_all);
}

TEST_F(SshNetwork, ResetMetBySendIsKeptUntilTheNextRead) {
    Listener listener;
    peer_ = std::thread([&] { Reset(listener.Accept()); });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    peer_.join();
    // The reset has arrived once the socket reads as readable.
    ASSERT_EQ(NetWaitReadable(socket, 20000), NetResult::kOk);

    Bytes data = Pattern(0, 100);
    size_t queued = 0;
    EXPECT_EQ(NetWrite(socket, data.data(), data.size(), &queued), NetResult::kOk);
    EXPECT_EQ(queued, data.size());
    EXPECT_EQ(NetSocketError(socket), nullptr);
    EXPECT_EQ(recorder.closes, 0);  // not re-entered from inside the write
    // Later writes only queue.
    EXPECT_EQ(NetWrite(socket, data.data(), data.size(), &queued), NetResult::kOk);
    EXPECT_EQ(queued, 2 * data.size());

    EXPECT_EQ(NetHandleReadable(NetSocketHandle(socket)), NetEvent::kFailed);
    EXPECT_EQ(recorder.closes, 1);
    EXPECT_EQ(recorder.close_text, "Network error: Connection reset by peer");
}

TEST_F(SshNetwork, AbortedSendIsKeptUntilTheNextRead) {
    Listener listener;
    peer_ = std::thread([&] { ::closesocket(listener.Accept()); });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    peer_.join();
    Winsock().send = FailingSend;
    Winsock().WSAGetLastError = StubLastError;
    gStubError = WSAECONNABORTED;
    size_t queued = 0;
    EXPECT_EQ(NetWrite(socket, "abc", 3, &queued), NetResult::kOk);
    EXPECT_EQ(queued, 3u);
    EXPECT_EQ(recorder.closes, 0);
    EXPECT_EQ(NetHandleReadable(NetSocketHandle(socket)), NetEvent::kFailed);
    EXPECT_EQ(recorder.close_text, "Network error: Software caused connection abort");
}

TEST_F(SshNetwork, OtherSendFailureIsFatal) {
    Listener listener;
    peer_ = std::thread([&] { ::closesocket(listener.Accept()); });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    peer_.join();
    Winsock().send = FailingSend;
    Winsock().WSAGetLastError = StubLastError;
    gStubError = WSAENOBUFS;
    EXPECT_EQ(NetWrite(socket, "abc", 3, nullptr), NetResult::kFailed);
    ASSERT_NE(NetSocketError(socket), nullptr);
    EXPECT_STREQ(NetSocketError(socket), "Network error: No buffer space available");
    EXPECT_EQ(recorder.closes, 0);
    // Nothing more is queued or sent; the next read reports the failure.
    size_t queued = 0;
    EXPECT_EQ(NetWrite(socket, "defg", 4, &queued), NetResult::kFailed);
    EXPECT_EQ(queued, 3u);
    EXPECT_EQ(NetHandleReadable(NetSocketHandle(socket)), NetEvent::kFailed);
    EXPECT_EQ(recorder.close_text, "Network error: No buffer space available");
}

// The peer checks every byte against the pattern and keeps a checksum.
struct ReceiveCheck {
    uint64_t total = 0;
    uint64_t checksum = kFnvStart;
    uint64_t first_mismatch = UINT64_MAX;

    void Take(const char* data, size_t length) {
        for (size_t i = 0; i < length; ++i)
            if (uint8_t(data[i]) != PatternByte(total + i) && first_mismatch == UINT64_MAX) first_mismatch = total + i;
        checksum = Fnv1a(checksum, reinterpret_cast<const uint8_t*>(data), length);
        total += length;
    }
    // Reads until the connection ends; the first `slow_bytes` in small
    // reads with pauses, the rest in large ones.
    void ReadAll(SOCKET peer, uint64_t slow_bytes) {
        std::vector<char> buffer(65536);
        for (;;) {
            bool slow = total < slow_bytes;
            int got = ::recv(peer, buffer.data(), slow ? 1024 : int(buffer.size()), 0);
            if (got <= 0) return;
            Take(buffer.data(), size_t(got));
            if (slow && total % 16384 < 1024) Sleep(2);
        }
    }
};

// Writes `total` bytes of the pattern in uneven pieces.
void WritePattern(NetSocket* socket, uint64_t total, uint64_t& checksum, size_t& max_queued) {
    const size_t pieces[] = {1, 1000, 16384, 65536, 262144, (1u << 20) + 7, 5, 3 * 16384 + 1};
    uint64_t written = 0;
    for (size_t i = 0; written < total; ++i) {
        size_t length = size_t(std::min<uint64_t>(pieces[i % std::size(pieces)], total - written));
        Bytes piece = Pattern(written, length);
        checksum = Fnv1a(checksum, piece.data(), piece.size());
        size_t queued = 0;
        ASSERT_EQ(NetWrite(socket, piece.data(), piece.size(), &queued), NetResult::kOk)
            << NetSocketError(socket) << " after " << written;
        max_queued = std::max(max_queued, queued);
        written += length;
    }
}

TEST_F(SshNetwork, LargeSendArrivesInOrderWhilePeerReadsSlowlyThenFast) {
    constexpr uint64_t kTotal = 64ull << 20;
    Listener listener;
    ReceiveCheck check;
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        check.ReadAll(peer, 4ull << 20);
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    uint64_t checksum = kFnvStart;
    size_t max_queued = 0;
    WritePattern(socket, kTotal, checksum, max_queued);
    // The socket blocks, so every write hands all its bytes to the system.
    EXPECT_EQ(max_queued, 0u);
    EXPECT_EQ(NetQueued(socket), 0u);
    NetClose(socket);
    Forget(socket);
    peer_.join();
    EXPECT_EQ(check.total, kTotal);
    EXPECT_EQ(check.first_mismatch, UINT64_MAX);
    EXPECT_EQ(check.checksum, checksum);
}

// With a socket that would block, the queue keeps what the system does not
// take and drains as the socket becomes writable again.
TEST_F(SshNetwork, QueueHoldsWhatWouldBlockAndDrainsWhenWritable) {
    constexpr uint64_t kTotal = 32ull << 20;
    Listener listener;
    ReceiveCheck check;
    HANDLE start_reading = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        WaitForSingleObject(start_reading, 60000);
        check.ReadAll(peer, 1ull << 20);
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    u_long non_blocking = 1;
    ASSERT_EQ(::ioctlsocket(SOCKET(NetSocketHandle(socket)), FIONBIO, &non_blocking), 0);

    uint64_t checksum = kFnvStart;
    size_t max_queued = 0;
    WritePattern(socket, kTotal, checksum, max_queued);
    size_t backlog = NetQueued(socket);
    EXPECT_GT(backlog, 0u);
    EXPECT_GT(max_queued, 0u);
    SetEvent(start_reading);

    while (NetQueued(socket) > 0) {
        fd_set writable;
        writable.fd_count = 1;
        writable.fd_array[0] = SOCKET(NetSocketHandle(socket));
        timeval wait = {20, 0};
        ASSERT_EQ(::select(0, nullptr, &writable, nullptr, &wait), 1);
        ASSERT_EQ(NetNotifyWritable(socket), NetResult::kOk);
    }
    ASSERT_FALSE(recorder.send_space.empty());
    EXPECT_EQ(recorder.send_space.back(), 0u);
    for (size_t i = 1; i < recorder.send_space.size(); ++i) EXPECT_LT(recorder.send_space[i], recorder.send_space[i - 1]);
    EXPECT_LT(recorder.send_space.front(), backlog);

    NetClose(socket);
    Forget(socket);
    peer_.join();
    EXPECT_EQ(check.total, kTotal);
    EXPECT_EQ(check.first_mismatch, UINT64_MAX);
    EXPECT_EQ(check.checksum, checksum);
    CloseHandle(start_reading);
}

TEST_F(SshNetwork, PeerThatStopsReadingFailsTheSendAfterTheTimeout) {
    Listener listener;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        WaitForSingleObject(done, 120000);
        ::closesocket(peer);
    });
    NetSetSendTimeoutForTests(500);
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    // Far more than any socket buffer: without the bound a send never returns.
    Bytes piece(1u << 20, 'x');
    NetResult result = NetResult::kOk;
    for (int i = 0; i < 512 && result == NetResult::kOk; ++i) result = NetWrite(socket, piece.data(), piece.size(), nullptr);
    EXPECT_EQ(result, NetResult::kFailed);
    EXPECT_STREQ(NetSocketError(socket), kNetSendTimedOutText);
    EXPECT_EQ(NetWrite(socket, "a", 1, nullptr), NetResult::kFailed);
    EXPECT_EQ(NetHandleReadable(NetSocketHandle(socket)), NetEvent::kFailed);
    EXPECT_EQ(recorder.close_text, kNetSendTimedOutText);
    SetEvent(done);
    peer_.join();
    CloseHandle(done);
}

TEST_F(SshNetwork, ReadsTakeAtMost20480Bytes) {
    Listener listener;
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        SendAll(peer, Pattern(0, 100000));
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    NetEvent event;
    while ((event = Pump(socket)) == NetEvent::kData) {
    }
    EXPECT_EQ(event, NetEvent::kClosed);
    EXPECT_EQ(recorder.data, Pattern(0, 100000));
    for (auto [length, urgent] : recorder.chunks) {
        EXPECT_LE(length, kNetReadSize);
        EXPECT_FALSE(urgent);
    }
}

TEST_F(SshNetwork, FrozenSocketLeavesDataWaiting) {
    Listener listener;
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        SendAll(peer, Pattern(0, 10));
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    ASSERT_EQ(NetWaitReadable(socket, 20000), NetResult::kOk);
    NetSetFrozen(socket, true);
    EXPECT_EQ(NetHandleReadable(NetSocketHandle(socket)), NetEvent::kNone);
    EXPECT_TRUE(recorder.data.empty());
    NetSetFrozen(socket, false);
    EXPECT_EQ(PumpUntil(socket, recorder, 10), NetEvent::kData);
    EXPECT_EQ(recorder.data, Pattern(0, 10));
}

TEST_F(SshNetwork, UnknownHandleReadsNothing) {
    EXPECT_EQ(NetHandleReadable(12345), NetEvent::kNone);
}

TEST_F(SshNetwork, WaitTimesOutWhenNothingArrives) {
    Listener listener;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        WaitForSingleObject(done, 20000);
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(NetWaitReadable(socket, 50), NetResult::kTimedOut);
    SetEvent(done);
    peer_.join();
    CloseHandle(done);
}

TEST_F(SshNetwork, LayerStopClosesOpenSockets) {
    Listener listener;
    int peer_read = 1;
    HANDLE stopped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        WaitForSingleObject(stopped, 20000);
        char byte;
        peer_read = ::recv(peer, &byte, 1, 0);
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    Winsock() = saved_;
    NetLayerStop();
    SetEvent(stopped);
    peer_.join();
    EXPECT_EQ(peer_read, 0);  // the peer saw the connection end
    EXPECT_EQ(NetSocketHandle(socket), uintptr_t(INVALID_SOCKET));
    EXPECT_EQ(NetWrite(socket, "x", 1, nullptr), NetResult::kFailed);
    EXPECT_STREQ(NetSocketError(socket), "Network error: Socket operation on non-socket");
    EXPECT_EQ(NetWaitReadable(socket, 0), NetResult::kFailed);
    CloseHandle(stopped);
}

TEST_F(SshNetwork, StoppedLayerFailsLookupAndConnect) {
    NetLayerStop();
    EXPECT_FALSE(NetLayerStarted());
    EXPECT_EQ(Winsock().library, nullptr);
    NetAddress address = NetLookup("127.0.0.1", nullptr);
    EXPECT_STREQ(address.error, "WinSock is not started");
    Recorder recorder;
    const char* error = nullptr;
    NetAddress loopback;
    loopback.ipv4 = 0x7F000001;
    loopback.family = AF_INET;
    EXPECT_EQ(NetConnect(loopback, 22, recorder.Owner(), &error), nullptr);
    EXPECT_STREQ(error, "WinSock is not started");
    // A new start makes the layer usable again.
    ASSERT_EQ(NetLayerStart(), NetResult::kOk);
    EXPECT_EQ(NetLookup("127.0.0.1", nullptr).error, nullptr);
}

// With SO_OOBINLINE an urgent byte stays in the stream, in its place.
TEST_F(SshNetwork, UrgentByteArrivesInline) {
    Listener listener;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        SendAll(peer, Bytes{'a', 'b', 'c'});
        ::send(peer, "!", 1, MSG_OOB);
        SendAll(peer, Bytes{'d', 'e', 'f'});
        WaitForSingleObject(done, 20000);
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(PumpUntil(socket, recorder, 7), NetEvent::kData);
    SetEvent(done);
    EXPECT_EQ(std::string(recorder.data.begin(), recorder.data.end()), "abc!def");
    peer_.join();
    CloseHandle(done);
}

// Wine answers SIOCATMARK with "at the mark" whatever waits, so the answer
// that urgent data lies ahead is staged.
std::atomic<int> gMarkCalls{0};
int WSAAPI UrgentAhead(SOCKET, long command, u_long* argument) {
    ++gMarkCalls;
    if (command != long(SIOCATMARK)) return SOCKET_ERROR;
    *argument = 0;
    return 0;
}
int WSAAPI MarkUnsupported(SOCKET, long, u_long*) {
    ++gMarkCalls;
    return SOCKET_ERROR;
}

TEST_F(SshNetwork, DataBeforeTheUrgentMarkIsFlagged) {
    Listener listener;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    peer_ = std::thread([&] {
        SOCKET peer = listener.Accept();
        SendAll(peer, Bytes{'a', 'b', 'c'});
        WaitForSingleObject(done, 20000);
        SendAll(peer, Bytes{'d'});
        WaitForSingleObject(done, 20000);
        ::closesocket(peer);
    });
    Recorder recorder;
    NetSocket* socket = Connect(listener.port(), recorder);
    ASSERT_NE(socket, nullptr);
    gMarkCalls = 0;
    Winsock().ioctlsocket = UrgentAhead;
    EXPECT_EQ(PumpUntil(socket, recorder, 3), NetEvent::kData);
    size_t before_mark = recorder.chunks.size();
    Winsock().ioctlsocket = MarkUnsupported;
    SetEvent(done);
    EXPECT_EQ(PumpUntil(socket, recorder, 4), NetEvent::kData);
    EXPECT_EQ(gMarkCalls, int(recorder.chunks.size()));
    ASSERT_GT(recorder.chunks.size(), before_mark);
    for (size_t i = 0; i < recorder.chunks.size(); ++i)
        // A WinSock that cannot answer leaves the data ordinary.
        EXPECT_EQ(recorder.chunks[i].second, i < before_mark) << i;
    peer_.join();
    CloseHandle(done);
}

}  // namespace

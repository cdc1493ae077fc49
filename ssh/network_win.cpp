#include "ssh/network_win.h"

// winsock2.h before windows.h (through winsock_win.h).
#include "ssh/winsock_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>

#include "ssh/neterror.h"
#include "ssh/randomseed_win.h"
#include "ssh/sendqueue.h"

namespace vorto::ssh {

struct NetSocket {
    SOCKET handle = INVALID_SOCKET;
    NetOwner owner;
    SendQueue queue;
    bool writable = true;  // sends may be tried
    bool oob_inline = false;
    bool frozen = false;
    // A reset or abort met while sending, reported at the next read.
    bool has_pending_error = false;
    int pending_error = 0;
    // A fatal send failure: from then on every write and read reports it.
    const char* error = nullptr;
};

namespace {

constexpr char kNotStarted[] = "WinSock is not started";

bool gStarted = false;
int gSendTimeoutMs = kNetSendTimeoutMs;
const char* gStartError = nullptr;

// Every open socket by handle, for the pump's readable notice and for the
// layer's stop.
std::map<SOCKET, NetSocket*> gSockets;
std::mutex gSocketsLock;

const char* NotStartedText() {
    return gStartError ? gStartError : kNotStarted;
}

NetSocket* FindSocket(SOCKET handle) {
    std::lock_guard<std::mutex> lock(gSocketsLock);
    auto found = gSockets.find(handle);
    return found == gSockets.end() ? nullptr : found->second;
}

// Sends from the queue until it is empty, the socket would block, or a
// send fails. Once a pending error is kept nothing more is sent: a second
// send on a reset connection would fail with another text.
NetResult Drain(NetSocket& socket) {
    WinsockApi& ws = Winsock();
    while (socket.writable && !socket.has_pending_error && !socket.queue.Empty()) {
        std::span<const uint8_t> front = socket.queue.Front();
        int length = static_cast<int>(std::min<size_t>(front.size(), INT_MAX));
        int sent = ws.send(socket.handle, reinterpret_cast<const char*>(front.data()), length, 0);
        RandomNoteTraffic(sent);
        if (sent > 0) {
            socket.queue.Consume(static_cast<size_t>(sent));
            continue;
        }
        int error = sent < 0 ? ws.WSAGetLastError() : 0;
        if (sent < 0 && error == kWsaEWouldBlock) {
            socket.writable = false;
            return NetResult::kOk;
        }
        if (sent == 0 || error == kWsaEConnAborted || error == kWsaEConnReset) {
            socket.has_pending_error = true;
            socket.pending_error = error;
            return NetResult::kOk;
        }
        // On a blocking socket this is the send time-out set at connect.
        socket.error = error == kWsaETimedOut ? kNetSendTimedOutText : NetErrorText(error);
        return NetResult::kFailed;
    }
    return NetResult::kOk;
}

// A socket closed by the layer's stop keeps its record but no handle.
bool Usable(NetSocket& socket) {
    if (socket.error) return false;
    if (socket.handle != INVALID_SOCKET && gStarted) return true;
    socket.error = NetErrorText(kWsaENotSock);
    return false;
}

}  // namespace

NetResult NetLayerStart() {
    if (gStarted) return NetResult::kOk;
    gStartError = LoadWinsock();
    if (gStartError) return NetResult::kFailed;
    gStarted = true;
    return NetResult::kOk;
}

bool NetLayerStarted() {
    return gStarted;
}

const char* NetLayerError() {
    return gStartError;
}

void NetLayerStop() {
    if (!gStarted) return;
    {
        std::lock_guard<std::mutex> lock(gSocketsLock);
        for (auto& [handle, socket] : gSockets) {
            Winsock().closesocket(handle);
            socket->handle = INVALID_SOCKET;
        }
        gSockets.clear();
    }
    UnloadWinsock();
    gStarted = false;
}

NetAddress NetLookup(const char* host, std::string* canonical) {
    NetAddress address;
    if (!gStarted) {
        address.error = NotStartedText();
        return address;
    }
    // An empty name would resolve to this machine; a profile without a host
    // must not quietly connect there.
    if (!host || !*host) {
        address.error = HostLookupErrorText(kWsaHostNotFound);
        return address;
    }
    WinsockApi& ws = Winsock();
    unsigned long dotted = ws.inet_addr(host);
    if (dotted != INADDR_NONE) {
        address.ipv4 = ws.ntohl(dotted);
        address.family = AF_INET;
        if (canonical) *canonical = host;
        return address;
    }
    hostent* entry = ws.gethostbyname(host);
    if (!entry) {
        address.error = HostLookupErrorText(ws.WSAGetLastError());
        return address;
    }
    // Only IPv4 is asked for; anything else is not an answer.
    if (entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list || !entry->h_addr_list[0]) {
        address.error = HostLookupErrorText(0);
        return address;
    }
    uint32_t network_order;
    std::memcpy(&network_order, entry->h_addr_list[0], sizeof network_order);
    address.ipv4 = ws.ntohl(network_order);
    address.family = AF_INET;
    if (canonical) *canonical = entry->h_name ? entry->h_name : host;
    return address;
}

NetSocket* NetConnect(const NetAddress& address, int port, const NetOwner& owner, const char** error) {
    *error = nullptr;
    if (!gStarted) {
        *error = NotStartedText();
        return nullptr;
    }
    if (address.error) {
        *error = address.error;
        return nullptr;
    }
    WinsockApi& ws = Winsock();
    SOCKET handle = ws.socket(AF_INET, SOCK_STREAM, 0);
    if (handle == INVALID_SOCKET) {
        *error = NetErrorText(ws.WSAGetLastError());
        return nullptr;
    }
    // Option failures are not fatal: the connection works without them.
    BOOL on = TRUE;
    BOOL off = FALSE;
    ws.setsockopt(handle, SOL_SOCKET, SO_OOBINLINE, reinterpret_cast<const char*>(&on), sizeof on);
    ws.setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&off), sizeof off);
    ws.setsockopt(handle, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&off), sizeof off);
    // A blocking send waits while the server's window is full; the bound
    // lets it fail instead of hanging the worker beyond Cancel's reach.
    DWORD send_timeout = DWORD(gSendTimeoutMs);
    ws.setsockopt(handle, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&send_timeout), sizeof send_timeout);

    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = ws.htons(0);
    local.sin_addr.s_addr = ws.htonl(INADDR_ANY);
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_port = ws.htons(static_cast<u_short>(port));
    remote.sin_addr.s_addr = ws.htonl(address.ipv4);
    if (ws.bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof local) == SOCKET_ERROR ||
        ws.connect(handle, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == SOCKET_ERROR) {
        // Read before closesocket, which may set another code.
        *error = NetErrorText(ws.WSAGetLastError());
        ws.closesocket(handle);
        return nullptr;
    }

    NetSocket* socket = new NetSocket;
    socket->handle = handle;
    socket->owner = owner;
    socket->oob_inline = true;
    std::lock_guard<std::mutex> lock(gSocketsLock);
    gSockets[handle] = socket;
    return socket;
}

void NetClose(NetSocket* socket) {
    if (!socket) return;
    if (socket->handle != INVALID_SOCKET) {
        {
            std::lock_guard<std::mutex> lock(gSocketsLock);
            gSockets.erase(socket->handle);
        }
        if (gStarted) Winsock().closesocket(socket->handle);
    }
    delete socket;
}

void NetSetSendTimeoutForTests(int timeout_ms) {
    gSendTimeoutMs = timeout_ms > 0 ? timeout_ms : kNetSendTimeoutMs;
}

NetResult NetWrite(NetSocket* socket, const void* data, size_t length, size_t* queued) {
    if (queued) *queued = socket ? socket->queue.Size() : 0;
    if (!socket || !Usable(*socket)) return NetResult::kFailed;
    socket->queue.Append(data, length);
    NetResult result = Drain(*socket);
    if (queued) *queued = socket->queue.Size();
    return result;
}

size_t NetQueued(const NetSocket* socket) {
    return socket ? socket->queue.Size() : 0;
}

NetResult NetNotifyWritable(NetSocket* socket) {
    if (!socket || !Usable(*socket)) return NetResult::kFailed;
    size_t before = socket->queue.Size();
    socket->writable = true;
    if (Drain(*socket) != NetResult::kOk) return NetResult::kFailed;
    size_t after = socket->queue.Size();
    if (after < before && socket->owner.send_space) socket->owner.send_space(socket->owner.ctx, after);
    return NetResult::kOk;
}

const char* NetSocketError(const NetSocket* socket) {
    return socket ? socket->error : nullptr;
}

uintptr_t NetSocketHandle(const NetSocket* socket) {
    return static_cast<uintptr_t>(socket ? socket->handle : INVALID_SOCKET);
}

void NetSetFrozen(NetSocket* socket, bool frozen) {
    if (socket) socket->frozen = frozen;
}

NetResult NetWaitReadable(const NetSocket* socket, int timeout_ms) {
    if (!socket || socket->handle == INVALID_SOCKET || !gStarted) return NetResult::kFailed;
    // One socket: filled by hand, so no FD_ macro needs a WinSock helper.
    fd_set readable;
    readable.fd_count = 1;
    readable.fd_array[0] = socket->handle;
    timeval wait = {timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    int ready = Winsock().select(0, &readable, nullptr, nullptr, timeout_ms < 0 ? nullptr : &wait);
    if (ready < 0) return NetResult::kFailed;
    return ready == 0 ? NetResult::kTimedOut : NetResult::kOk;
}

NetEvent NetHandleReadable(uintptr_t handle) {
    if (!gStarted) return NetEvent::kNone;
    NetSocket* socket = FindSocket(static_cast<SOCKET>(handle));
    if (!socket) return NetEvent::kNone;
    // The owner may close the socket from its notice: nothing of the record
    // is touched after one.
    const NetOwner owner = socket->owner;
    auto tell_closed = [&owner](const char* text) {
        if (owner.closed) owner.closed(owner.ctx, text);
    };
    if (socket->error) {
        tell_closed(socket->error);
        return NetEvent::kFailed;
    }
    if (socket->has_pending_error) {
        tell_closed(NetErrorText(socket->pending_error));
        return NetEvent::kFailed;
    }
    if (socket->frozen) return NetEvent::kNone;

    WinsockApi& ws = Winsock();
    // SIOCATMARK answers TRUE when no urgent byte waits, so data read while
    // it is FALSE lies before the mark. A WinSock that cannot answer leaves
    // it TRUE: the data is then taken as ordinary.
    u_long at_mark = 1;
    if (socket->oob_inline) ws.ioctlsocket(socket->handle, SIOCATMARK, &at_mark);
    char buffer[kNetReadSize];
    int got = ws.recv(socket->handle, buffer, sizeof buffer, 0);
    RandomNoteTraffic(got);
    if (got < 0) {
        int error = ws.WSAGetLastError();
        if (error == kWsaEWouldBlock) return NetEvent::kNone;
        tell_closed(NetErrorText(error));
        return NetEvent::kFailed;
    }
    if (got == 0) {
        // Wine reads a reset connection as an orderly end. A send of no
        // bytes tells them apart: it still succeeds on a connection the peer
        // closed in order, and fails with the reset on a broken one.
        if (ws.send(socket->handle, buffer, 0, 0) == SOCKET_ERROR) {
            int error = ws.WSAGetLastError();
            if (error != kWsaEWouldBlock) {
                tell_closed(NetErrorText(error));
                return NetEvent::kFailed;
            }
        }
        tell_closed(nullptr);
        return NetEvent::kClosed;
    }
    if (owner.received)
        owner.received(owner.ctx, reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(got), at_mark == 0);
    return NetEvent::kData;
}

}  // namespace vorto::ssh

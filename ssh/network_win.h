// The TCP layer under the SSH connection: WinSock loaded by name, host
// look-up, one blocking IPv4 stream socket per connection, a send queue
// drained by blocking sends bounded in time, and the handler the network pump calls when
// the socket is readable. One worker uses the layer at a time; the socket
// set and the WinSock binding are process-wide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorto::ssh {

enum class NetResult {
    kOk,
    kFailed,    // the call's error text says why
    kTimedOut,  // NetWaitReadable only
};

// What a readable notice came to.
enum class NetEvent {
    kNone,    // nothing read: the socket would block, is frozen or unknown
    kData,    // bytes went to the owner's `received`
    kClosed,  // the peer closed in order: `closed` with no text
    kFailed,  // the connection failed: `closed` with the network error text
};

// The socket's owner, the SSH connection. The notices come only from
// NetHandleReadable and NetNotifyWritable, never from inside NetWrite, so
// the owner is not re-entered while it sends. Any function may be null.
struct NetOwner {
    void* ctx = nullptr;
    // Bytes arrived; `urgent` when they lie before the out-of-band mark.
    void (*received)(void* ctx, const uint8_t* data, size_t length, bool urgent) = nullptr;
    // The connection ended: `error_text` is null when the peer closed in
    // order, else the network error text. The socket stays open until the
    // owner closes it.
    void (*closed)(void* ctx, const char* error_text) = nullptr;
    // The send queue shrank once the socket took data again; `queued` is
    // what is left.
    void (*send_space)(void* ctx, size_t queued) = nullptr;
};

// Address of a host. `error` is null on success.
struct NetAddress {
    uint32_t ipv4 = 0;  // host byte order
    int family = 0;     // AF_INET (2) once found
    const char* error = nullptr;
};

struct NetSocket;

// Loads and starts WinSock. On kFailed the layer stays unusable (every
// look-up and connect fails) and NetLayerError() gives the fatal text.
NetResult NetLayerStart();
bool NetLayerStarted();
// The fatal text of the last failed start; null when none.
const char* NetLayerError();
// Closes every socket still open (their records stay valid until their
// owners call NetClose), calls WSACleanup and unloads the library.
void NetLayerStop();

// A dotted IPv4 text is taken as it is, with no look-up, and is its own
// canonical name; any other name goes to gethostbyname, whose official
// name becomes the canonical one. `canonical` may be null.
NetAddress NetLookup(const char* host, std::string* canonical);

// Opens a blocking IPv4 stream socket to `address`:`port` (out-of-band data
// inline, no Nagle switch-off, no keep-alive, bound to any local address,
// sends bounded by the send time-out) and adds it to the socket set. Null on failure, with `*error` set to the
// network error text.
NetSocket* NetConnect(const NetAddress& address, int port, const NetOwner& owner, const char** error);
// Removes the socket from the set, closes it and frees the record. Null is
// allowed.
void NetClose(NetSocket* socket);

// Appends to the send queue and, while the socket is writable, sends from
// it until it is empty. `queued` (may be null) receives the bytes still
// queued. A reset or aborted connection is kept as the pending error and
// reported at the next read; any other failure is fatal: kFailed, and
// NetSocketError() gives the text from then on. A send the system has not
// taken within the send time-out (a server that stopped reading) is fatal
// with kNetSendTimedOutText.
NetResult NetWrite(NetSocket* socket, const void* data, size_t length, size_t* queued);
size_t NetQueued(const NetSocket* socket);
// The socket can take data again (a send had reported that it would
// block): drains the queue and tells the owner how much is left when it
// shrank.
NetResult NetNotifyWritable(NetSocket* socket);

// The socket's fatal error text, null while it has none.
const char* NetSocketError(const NetSocket* socket);
// The WinSock handle, for the network pump; ~0 once the socket is closed.
uintptr_t NetSocketHandle(const NetSocket* socket);
// A frozen socket reads nothing when it is readable; the data waits.
void NetSetFrozen(NetSocket* socket, bool frozen);

// The pump's wait: select for readability. `timeout_ms` < 0 waits for
// good. kFailed when the socket is closed or select fails.
NetResult NetWaitReadable(const NetSocket* socket, int timeout_ms);
// The pump's readable notice for the socket with this handle: reports a
// pending error, or reads up to kNetReadSize bytes and tells the owner.
NetEvent NetHandleReadable(uintptr_t handle);

constexpr size_t kNetReadSize = 20480;

// How long one blocking send may wait for the server to take data, so that
// a server that stops reading cannot hold the worker for good.
constexpr int kNetSendTimeoutMs = 60000;
constexpr char kNetSendTimedOutText[] = "Network error: Timed out sending data to the server";
// Tests shorten the time-out; it applies to sockets connected afterwards.
// Zero or less restores kNetSendTimeoutMs.
void NetSetSendTimeoutForTests(int timeout_ms);

}  // namespace vorto::ssh

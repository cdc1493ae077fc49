#include "ssh/neterror.h"

namespace vorto::ssh {

namespace {

struct NetErrorEntry {
    int code;
    const char* text;
};

constexpr NetErrorEntry kNetErrors[] = {
    {10004, "Network error: Interrupted function call"},
    {10013, "Network error: Permission denied"},
    {10014, "Network error: Bad address"},
    {10022, "Network error: Invalid argument"},
    {10024, "Network error: Too many open files"},
    {10035, "Network error: Resource temporarily unavailable"},
    {10036, "Network error: Operation now in progress"},
    {10037, "Network error: Operation already in progress"},
    {10038, "Network error: Socket operation on non-socket"},
    {10039, "Network error: Destination address required"},
    {10040, "Network error: Message too long"},
    {10041, "Network error: Protocol wrong type for socket"},
    {10042, "Network error: Bad protocol option"},
    {10043, "Network error: Protocol not supported"},
    {10044, "Network error: Socket type not supported"},
    {10045, "Network error: Operation not supported"},
    {10046, "Network error: Protocol family not supported"},
    {10047, "Network error: Address family not supported by protocol family"},
    {10048, "Network error: Address already in use"},
    {10049, "Network error: Cannot assign requested address"},
    {10050, "Network error: Network is down"},
    {10051, "Network error: Network is unreachable"},
    {10052, "Network error: Network dropped connection on reset"},
    {10053, "Network error: Software caused connection abort"},
    {10054, "Network error: Connection reset by peer"},
    {10055, "Network error: No buffer space available"},
    {10056, "Network error: Socket is already connected"},
    {10057, "Network error: Socket is not connected"},
    {10058, "Network error: Cannot send after socket shutdown"},
    {10060, "Network error: Connection timed out"},
    {10061, "Network error: Connection refused"},
    {10064, "Network error: Host is down"},
    {10065, "Network error: No route to host"},
    {10067, "Network error: Too many processes"},
    {10101, "Network error: Graceful shutdown in progress"},
};

}  // namespace

const char* NetErrorText(int code) {
    for (const NetErrorEntry& entry : kNetErrors)
        if (entry.code == code) return entry.text;
    return "Unknown network error";
}

const char* HostLookupErrorText(int code) {
    switch (code) {
        case kWsaENetDown: return "Network is down";
        case kWsaHostNotFound: return "Host does not exist";
        case kWsaTryAgain: return "Host not found";
        default: return "gethostbyname: unknown error";
    }
}

}  // namespace vorto::ssh

#include "ssh/winsock_win.h"

#include <windows.h>

#include <cstdio>

namespace vorto::ssh {

namespace {

WinsockApi gWinsock;
char gVersionError[64];

template <typename Function>
bool Bind(HMODULE library, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return entry != nullptr;
}

bool BindAll(HMODULE library, WinsockApi& api) {
    api.library = library;
    return Bind(library, "WSAStartup", api.WSAStartup) && Bind(library, "WSACleanup", api.WSACleanup) &&
           Bind(library, "WSAGetLastError", api.WSAGetLastError) && Bind(library, "select", api.select) &&
           Bind(library, "closesocket", api.closesocket) && Bind(library, "ntohl", api.ntohl) &&
           Bind(library, "htonl", api.htonl) && Bind(library, "htons", api.htons) &&
           Bind(library, "gethostbyname", api.gethostbyname) && Bind(library, "inet_addr", api.inet_addr) &&
           Bind(library, "connect", api.connect) && Bind(library, "bind", api.bind) &&
           Bind(library, "setsockopt", api.setsockopt) && Bind(library, "socket", api.socket) &&
           Bind(library, "send", api.send) && Bind(library, "ioctlsocket", api.ioctlsocket) &&
           Bind(library, "recv", api.recv);
}

// The library and the version it is asked for, first choice first.
struct Candidate {
    const char* name;
    WORD version;
};
constexpr Candidate kCandidates[] = {{"WS2_32.DLL", MAKEWORD(2, 0)}, {"WSOCK32.DLL", MAKEWORD(1, 1)}};

}  // namespace

WinsockApi& Winsock() {
    return gWinsock;
}

const char* LoadWinsock() {
    if (gWinsock.library) return nullptr;
    WinsockApi api;
    WORD version = 0;
    for (const Candidate& candidate : kCandidates) {
        HMODULE library = LoadLibraryA(candidate.name);
        if (!library) continue;
        if (BindAll(library, api)) {
            version = candidate.version;
            break;
        }
        FreeLibrary(library);
        api = WinsockApi();
    }
    if (!api.library) return "Unable to load any WinSock library";
    WSADATA data;
    if (api.WSAStartup(version, &data) != 0) {
        FreeLibrary(api.library);
        return "Unable to initialise WinSock";
    }
    if (LOBYTE(data.wVersion) != LOBYTE(version)) {
        api.WSACleanup();
        FreeLibrary(api.library);
        std::snprintf(gVersionError, sizeof gVersionError, "WinSock version is incompatible with %d.%d",
                      LOBYTE(version), HIBYTE(version));
        return gVersionError;
    }
    gWinsock = api;
    return nullptr;
}

void UnloadWinsock() {
    if (!gWinsock.library) return;
    gWinsock.WSACleanup();
    FreeLibrary(gWinsock.library);
    gWinsock = WinsockApi();
}

}  // namespace vorto::ssh

// WinSock, loaded by name at run time so that the program starts on a
// system without it and links no socket library. One binding for the
// whole process: the library handle and the entry points the SSH layer
// calls. Tests may replace single entry points to stage failures.
#pragma once

#include <winsock2.h>

namespace vorto::ssh {

struct WinsockApi {
    HMODULE library = nullptr;
    decltype(&::WSAStartup) WSAStartup = nullptr;
    decltype(&::WSACleanup) WSACleanup = nullptr;
    decltype(&::WSAGetLastError) WSAGetLastError = nullptr;
    decltype(&::select) select = nullptr;
    decltype(&::closesocket) closesocket = nullptr;
    decltype(&::ntohl) ntohl = nullptr;
    decltype(&::htonl) htonl = nullptr;
    decltype(&::htons) htons = nullptr;
    decltype(&::gethostbyname) gethostbyname = nullptr;
    decltype(&::inet_addr) inet_addr = nullptr;
    decltype(&::connect) connect = nullptr;
    decltype(&::bind) bind = nullptr;
    decltype(&::setsockopt) setsockopt = nullptr;
    decltype(&::socket) socket = nullptr;
    decltype(&::send) send = nullptr;
    decltype(&::ioctlsocket) ioctlsocket = nullptr;
    decltype(&::recv) recv = nullptr;
};

// The bound entry points; all null while WinSock is not loaded.
WinsockApi& Winsock();

// Loads "WS2_32.DLL" asking for version 2.0, else "WSOCK32.DLL" asking for
// 1.1, and binds every entry point. Null on success, else the fatal text:
// "Unable to load any WinSock library", "Unable to initialise WinSock" or
// "WinSock version is incompatible with %d.%d". A library that lacks an
// entry point counts as not loaded. Loading twice is a no-op.
const char* LoadWinsock();
// WSACleanup and FreeLibrary; the binding is empty again.
void UnloadWinsock();

}  // namespace vorto::ssh

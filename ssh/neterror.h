// The texts of WinSock failures, as the SSH layer reports them. Portable:
// the codes are plain numbers (those of winsock2.h), so the table is
// tested natively.
#pragma once

namespace vorto::ssh {

// The WinSock codes the socket layer tells apart.
constexpr int kWsaEWouldBlock = 10035;
constexpr int kWsaENotSock = 10038;
constexpr int kWsaENetDown = 10050;
constexpr int kWsaEConnAborted = 10053;
constexpr int kWsaEConnReset = 10054;
constexpr int kWsaETimedOut = 10060;
constexpr int kWsaHostNotFound = 11001;
constexpr int kWsaTryAgain = 11002;

// "Network error: ..." for the codes of the table, "Unknown network error"
// for any other. The text is a literal: it lives as long as the program.
const char* NetErrorText(int code);

// Why a name look-up failed: "Network is down", "Host does not exist",
// "Host not found", or "gethostbyname: unknown error" for any other code.
const char* HostLookupErrorText(int code);

}  // namespace vorto::ssh

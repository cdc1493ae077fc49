// The version exchange that opens an SSH connection: reading the server's
// version line out of the incoming bytes, choosing the protocol, and the
// client's own line. No I/O: bytes in, results out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorto::ssh {

// The longest server version line taken, without its CR LF.
constexpr size_t kMaxVersionLine = 255;
// How much of the protocol version is kept.
constexpr size_t kMaxProtocolVersion = 9;

constexpr char kVersionLineTooLong[] = "Server version line too long";

// What the client tells the server about itself.
constexpr char kClientSoftwareVersion[] = "PuTTY-Local: Jan 22 2009 16:29:48";
constexpr char kClientVersionSsh2[] = "SSH-2.0-PuTTY-Local: Jan 22 2009 16:29:48";

// The server's version line, split up.
struct ServerVersion {
    std::string line;      // from "SSH-" to the end of the line, without CR LF
    std::string protocol;  // after "SSH-" up to the next "-"
    std::string software;  // after that "-"
};

enum class VersionScanState : uint8_t { kSearching, kReading, kDone, kFailed };

// Reads the server's version line from byte runs as they arrive. Bytes
// before "SSH-" are dropped (servers may send text lines first).
struct VersionScanner {
    VersionScanState state = VersionScanState::kSearching;
    size_t matched = 0;    // characters of "SSH-" seen while searching
    std::string line;      // the line so far, "SSH-" included
    ServerVersion server;  // complete once state is kDone
    const char* error = nullptr;  // set once state is kFailed
};

// Feeds one run of received bytes. Returns how many were used: everything
// up to and including the line's LF, so the rest belongs to the packet
// layer. Once done or failed, uses nothing.
size_t ScanVersionLine(VersionScanner& scanner, std::span<const uint8_t> bytes);

// Compares protocol versions such as "1.99" and "2.0": the major numbers,
// then the minor numbers, each read as a decimal number. <0, 0 or >0.
int CompareSshVersions(std::string_view a, std::string_view b);

bool ServerSupportsSsh2(std::string_view protocol);
bool ServerSupportsSsh1(std::string_view protocol);

// The protocol to speak with a server of the given protocol version under
// the "SshProt" choice (unknown choices act as protocol 2 preferred).
struct ProtocolChoice {
    int version = 0;              // 1 or 2; 0 when the connection must end
    const char* error = nullptr;  // the fatal text when version is 0
};
ProtocolChoice ChooseSshProtocol(std::string_view server_protocol, int ssh_prot);

// The client's version line for the chosen protocol, without its LF (the
// form that goes into the exchange hash). Protocol 1 claims "1.5", or the
// server's version when that is lower.
std::string ClientVersionLine(int version, std::string_view server_protocol);

// Event-log lines. Server text is only ever data here.
std::string ServerVersionLogLine(std::string_view server_line);
std::string ClaimedVersionLogLine(std::string_view client_line);
std::string ProtocolInUseLogLine(int version);

}  // namespace vorto::ssh

#include "ssh/sshversion.h"

#include <algorithm>

#include "ssh/sshsettings.h"

namespace vorto::ssh {

namespace {

constexpr std::string_view kMarker = "SSH-";

void SplitVersionLine(ServerVersion& server) {
    std::string_view rest = std::string_view(server.line).substr(kMarker.size());
    size_t dash = rest.find('-');
    server.protocol = std::string(rest.substr(0, std::min(dash, kMaxProtocolVersion)));
    server.software = dash == std::string_view::npos ? std::string() : std::string(rest.substr(dash + 1));
}

// Reads a decimal number from the front of `text` and drops it; stops
// growing at a bound so that a hostile run of digits cannot overflow.
unsigned TakeNumber(std::string_view& text) {
    unsigned value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < 100000000u) value = value * 10 + unsigned(text[i] - '0');
    }
    text.remove_prefix(i);
    return value;
}

size_t Fail(VersionScanner& scanner, size_t used) {
    scanner.state = VersionScanState::kFailed;
    scanner.error = kVersionLineTooLong;
    scanner.line = std::string();
    return used;
}

}  // namespace

size_t ScanVersionLine(VersionScanner& scanner, std::span<const uint8_t> bytes) {
    size_t used = 0;
    while (used < bytes.size() && scanner.state == VersionScanState::kSearching) {
        char c = static_cast<char>(bytes[used++]);
        if (c == kMarker[scanner.matched]) {
            ++scanner.matched;
        } else {
            // What stays of a broken match: "SSS" still ends in "SS", and
            // any other "S" starts afresh.
            scanner.matched = c != 'S' ? 0 : scanner.matched == 2 ? 2 : 1;
        }
        if (scanner.matched == kMarker.size()) {
            scanner.state = VersionScanState::kReading;
            scanner.line = std::string(kMarker);
        }
    }
    while (used < bytes.size() && scanner.state == VersionScanState::kReading) {
        char c = static_cast<char>(bytes[used++]);
        if (c == '\n') {
            if (!scanner.line.empty() && scanner.line.back() == '\r') scanner.line.pop_back();
            if (scanner.line.size() > kMaxVersionLine) return Fail(scanner, used);
            scanner.server.line = std::move(scanner.line);
            scanner.line = std::string();
            SplitVersionLine(scanner.server);
            scanner.state = VersionScanState::kDone;
        } else if (scanner.line.size() > kMaxVersionLine) {
            // One byte past the limit was kept, as it may be the CR before
            // the LF; a second one cannot be.
            return Fail(scanner, used);
        } else {
            scanner.line.push_back(c);
        }
    }
    return used;
}

int CompareSshVersions(std::string_view a, std::string_view b) {
    unsigned a_major = TakeNumber(a), b_major = TakeNumber(b);
    if (a_major != b_major) return a_major < b_major ? -1 : 1;
    if (!a.empty() && a.front() == '.') a.remove_prefix(1);
    if (!b.empty() && b.front() == '.') b.remove_prefix(1);
    unsigned a_minor = TakeNumber(a), b_minor = TakeNumber(b);
    if (a_minor != b_minor) return a_minor < b_minor ? -1 : 1;
    return 0;
}

bool ServerSupportsSsh2(std::string_view protocol) {
    return CompareSshVersions(protocol, "1.99") >= 0;
}

bool ServerSupportsSsh1(std::string_view protocol) {
    return CompareSshVersions(protocol, "2.0") < 0;
}

ProtocolChoice ChooseSshProtocol(std::string_view server_protocol, int ssh_prot) {
    bool has2 = ServerSupportsSsh2(server_protocol);
    bool has1 = ServerSupportsSsh1(server_protocol);
    switch (ssh_prot) {
        case kSshProt2Only:
            if (has2) return {2, nullptr};
            return {0, "SSH protocol version 2 required by user but not provided by server"};
        case kSshProt1Only:
            if (has1) return {1, nullptr};
            return {0, "SSH protocol version 1 required by user but not provided by server"};
        case kSshProt1Preferred:
            return {has1 ? 1 : 2, nullptr};
        default:
            return {has2 ? 2 : 1, nullptr};
    }
}

std::string ClientVersionLine(int version, std::string_view server_protocol) {
    if (version == 2) return kClientVersionSsh2;
    std::string_view claim = CompareSshVersions(server_protocol, "1.5") < 0 ? server_protocol : "1.5";
    return std::string(kMarker) + std::string(claim) + "-" + kClientSoftwareVersion;
}

std::string ServerVersionLogLine(std::string_view server_line) {
    return "Server version: " + std::string(server_line);
}

std::string ClaimedVersionLogLine(std::string_view client_line) {
    return "We claim version: " + std::string(client_line);
}

std::string ProtocolInUseLogLine(int version) {
    return version == 1 ? "Using SSH protocol version 1" : "Using SSH protocol version 2";
}

}  // namespace vorto::ssh

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ssh/sshquirks.h"
#include "ssh/sshsettings.h"
#include "ssh/sshversion.h"

using namespace vorto::ssh;

namespace {

// What the system's own sshd (Debian 12) announces.
constexpr char kOpenSsh92Banner[] = "SSH-2.0-OpenSSH_9.2p1 Debian-2+deb12u10\r\n";

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

struct Scan {
    VersionScanner scanner;
    size_t used = 0;
};

// Feeds `stream` in runs of `run` bytes until the scanner stops taking them.
Scan Feed(std::string_view stream, size_t run) {
    Scan scan;
    while (scan.used < stream.size()) {
        std::string_view part = stream.substr(scan.used, run);
        size_t used = ScanVersionLine(scan.scanner, Bytes(part));
        scan.used += used;
        if (used < part.size()) break;
    }
    return scan;
}

TEST(SshVersionScan, RealOpenSshBannerLeavesThePacketBytes) {
    std::string stream = std::string(kOpenSsh92Banner) + "\x00\x00\x01\x14\x0a\x14";
    Scan scan = Feed(stream, stream.size());
    ASSERT_EQ(scan.scanner.state, VersionScanState::kDone);
    EXPECT_EQ(scan.used, std::string_view(kOpenSsh92Banner).size());
    EXPECT_EQ(scan.scanner.server.line, "SSH-2.0-OpenSSH_9.2p1 Debian-2+deb12u10");
    EXPECT_EQ(scan.scanner.server.protocol, "2.0");
    EXPECT_EQ(scan.scanner.server.software, "OpenSSH_9.2p1 Debian-2+deb12u10");
    EXPECT_EQ(DetectQuirks(scan.scanner.server.software), 0u);
    // Nothing more is taken once the line is read.
    EXPECT_EQ(ScanVersionLine(scan.scanner, Bytes("more")), 0u);
}

TEST(SshVersionScan, TextBeforeTheMarkerIsDropped) {
    Scan scan = Feed("Welcome.\r\nSSSH SSH SSHSSH-1.99-x-y z\n", 100);
    ASSERT_EQ(scan.scanner.state, VersionScanState::kDone);
    EXPECT_EQ(scan.scanner.server.line, "SSH-1.99-x-y z");
    EXPECT_EQ(scan.scanner.server.protocol, "1.99");
    EXPECT_EQ(scan.scanner.server.software, "x-y z");
}

TEST(SshVersionScan, NearMissesAreNotTheMarker) {
    Scan scan = Feed("SSxH-9.9-fake\nSH-9.9-fake\nSSH-2.0-real\n", 100);
    EXPECT_EQ(scan.scanner.server.line, "SSH-2.0-real");
    // A run of "S" still ends in the start of the marker.
    EXPECT_EQ(Feed("SSSH-2.0-x\n", 100).scanner.server.line, "SSH-2.0-x");
}

TEST(SshVersionScan, FieldsOfOddLines) {
    Scan no_software = Feed("SSH-2.0\n", 100);
    EXPECT_EQ(no_software.scanner.server.protocol, "2.0");
    EXPECT_EQ(no_software.scanner.server.software, "");
    Scan long_protocol = Feed("SSH-1234567890123-soft\n", 100);
    EXPECT_EQ(long_protocol.scanner.server.protocol, "123456789");
    EXPECT_EQ(long_protocol.scanner.server.software, "soft");
    // Only the CR right before the LF belongs to the line end.
    Scan inner_cr = Feed("SSH-2.0-a\rb\r\r\n", 100);
    EXPECT_EQ(inner_cr.scanner.server.line, "SSH-2.0-a\rb\r");
}

TEST(SshVersionScan, AnySplitOfTheStreamGivesTheSameResult) {
    const std::string streams[] = {
        "hello\r\nSSH-1.99-OpenSSH_3.1p1\r\nPACKET",
        "SSSH-2.0-x\n",
        "SSHSSH-2.0-x\r\n\r\n",
        "SS\rSSH-2.0-" + std::string(300, 'v') + "\r\n",
    };
    for (const std::string& stream : streams) {
        Scan whole = Feed(stream, stream.size());
        for (size_t run : {1, 2, 3, 5}) {
            SCOPED_TRACE(stream + " in runs of " + std::to_string(run));
            Scan split = Feed(stream, run);
            EXPECT_EQ(split.used, whole.used);
            EXPECT_EQ(split.scanner.state, whole.scanner.state);
            EXPECT_EQ(split.scanner.server.line, whole.scanner.server.line);
            EXPECT_EQ(split.scanner.server.protocol, whole.scanner.server.protocol);
            EXPECT_EQ(split.scanner.server.software, whole.scanner.server.software);
        }
    }
}

TEST(SshVersionScan, LineLengthLimit) {
    std::string longest = "SSH-2.0-" + std::string(kMaxVersionLine - 8, 'x');
    Scan fits = Feed(longest + "\r\n", 1);
    ASSERT_EQ(fits.scanner.state, VersionScanState::kDone);
    EXPECT_EQ(fits.scanner.server.line, longest);

    Scan one_over = Feed(longest + "y\n", 1000);
    EXPECT_EQ(one_over.scanner.state, VersionScanState::kFailed);
    EXPECT_STREQ(one_over.scanner.error, "Server version line too long");
    EXPECT_EQ(one_over.used, longest.size() + 2);

    // An endless line fails early without holding on to it.
    std::string endless = "SSH-2.0-" + std::string(100000, 'z');
    Scan flood = Feed(endless, 4096);
    EXPECT_EQ(flood.scanner.state, VersionScanState::kFailed);
    EXPECT_EQ(flood.used, kMaxVersionLine + 2);
    EXPECT_TRUE(flood.scanner.line.empty());
    EXPECT_EQ(ScanVersionLine(flood.scanner, Bytes("\n")), 0u);
}

TEST(SshVersionCompare, MajorThenMinorAsNumbers) {
    EXPECT_LT(CompareSshVersions("1.99", "2.0"), 0);
    EXPECT_GT(CompareSshVersions("2.0", "1.99"), 0);
    EXPECT_GT(CompareSshVersions("1.10", "1.9"), 0);
    EXPECT_GT(CompareSshVersions("10.0", "9.9"), 0);
    EXPECT_EQ(CompareSshVersions("2.0", "2.00"), 0);
    EXPECT_EQ(CompareSshVersions("2", "2.0"), 0);
    EXPECT_LT(CompareSshVersions("", "1.5"), 0);
    // Numbers too big to hold stay big rather than wrapping round.
    EXPECT_GT(CompareSshVersions("4294967296.0", "1.99"), 0);
    EXPECT_GT(CompareSshVersions("99999999999999999999999.1", "2.0"), 0);
}

TEST(SshVersionChoice, EverySettingAgainstEveryKindOfServer) {
    struct Case {
        const char* server;
        int setting;
        int version;
    };
    const Case cases[] = {
        {"1.99", kSshProt2Preferred, 2}, {"1.99", kSshProt2Only, 2}, {"1.99", kSshProt1Preferred, 1},
        {"1.99", kSshProt1Only, 1},      {"2.0", kSshProt2Preferred, 2}, {"2.0", kSshProt1Preferred, 2},
        {"2.0", kSshProt1Only, 0},       {"1.5", kSshProt2Preferred, 1}, {"1.5", kSshProt1Preferred, 1},
        {"1.5", kSshProt2Only, 0},       {"1.5", 42, 1},                 {"2.0", -1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.server) + " with setting " + std::to_string(c.setting));
        ProtocolChoice choice = ChooseSshProtocol(c.server, c.setting);
        EXPECT_EQ(choice.version, c.version);
        EXPECT_EQ(choice.error == nullptr, c.version != 0);
    }
    EXPECT_STREQ(ChooseSshProtocol("1.5", kSshProt2Only).error,
                 "SSH protocol version 2 required by user but not provided by server");
    EXPECT_STREQ(ChooseSshProtocol("2.0", kSshProt1Only).error,
                 "SSH protocol version 1 required by user but not provided by server");
}

TEST(SshVersionChoice, ClientLines) {
    EXPECT_EQ(ClientVersionLine(2, "2.0"), "SSH-2.0-PuTTY-Local: Jan 22 2009 16:29:48");
    EXPECT_EQ(ClientVersionLine(1, "1.99"), "SSH-1.5-PuTTY-Local: Jan 22 2009 16:29:48");
    EXPECT_EQ(ClientVersionLine(1, "1.5"), "SSH-1.5-PuTTY-Local: Jan 22 2009 16:29:48");
    EXPECT_EQ(ClientVersionLine(1, "1.3"), "SSH-1.3-PuTTY-Local: Jan 22 2009 16:29:48");
}

// The whole exchange with an old server that announces 1.99 after a banner.
TEST(SshVersionChoice, OldOpenSshServerGetsProtocol2WithRsaPadding) {
    Scan scan = Feed("Hello there\r\nSSH-1.99-OpenSSH_3.1p1\r\n", 1);
    ASSERT_EQ(scan.scanner.state, VersionScanState::kDone);
    const ServerVersion& server = scan.scanner.server;
    ProtocolChoice choice = ChooseSshProtocol(server.protocol, EffectiveSshProt(SshSettings{}.ssh_prot));
    EXPECT_EQ(choice.version, 2);
    uint32_t quirks = ApplyQuirkSettings(DetectQuirks(server.software), SshSettings{});
    EXPECT_EQ(quirks, uint32_t{kQuirkSsh2RsaPadding});
    std::string client = ClientVersionLine(choice.version, server.protocol);
    EXPECT_EQ(ServerVersionLogLine(server.line), "Server version: SSH-1.99-OpenSSH_3.1p1");
    EXPECT_EQ(ClaimedVersionLogLine(client), "We claim version: SSH-2.0-PuTTY-Local: Jan 22 2009 16:29:48");
    EXPECT_EQ(ProtocolInUseLogLine(choice.version), "Using SSH protocol version 2");
    EXPECT_EQ(ProtocolInUseLogLine(1), "Using SSH protocol version 1");
}

}  // namespace

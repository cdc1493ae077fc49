// Feeds arbitrary bytes to the version-line scanner in runs of a size taken
// from the first byte, checks that the split changes nothing, and hands
// what it finds on to the protocol choice and quirk detection. The same
// bytes, cut at the first NUL, go to the wildcard matcher as pattern and text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ssh/sshquirks.h"
#include "ssh/sshsettings.h"
#include "ssh/sshversion.h"
#include "ssh/sshwildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorto::ssh;
    if (size == 0) return 0;
    size_t run = data[0] % 32 + 1;
    std::span<const uint8_t> stream(data + 1, size - 1);

    VersionScanner split;
    size_t split_used = 0;
    while (split_used < stream.size()) {
        std::span<const uint8_t> part = stream.subspan(split_used, std::min(run, stream.size() - split_used));
        size_t used = ScanVersionLine(split, part);
        if (used > part.size()) __builtin_trap();
        split_used += used;
        if (used < part.size()) break;
    }
    VersionScanner whole;
    size_t whole_used = ScanVersionLine(whole, stream);
    if (whole_used != split_used || whole.state != split.state || whole.server.line != split.server.line) {
        __builtin_trap();
    }
    if (whole.state == VersionScanState::kDone) {
        const ServerVersion& server = whole.server;
        if (server.line.size() > kMaxVersionLine || server.protocol.size() > kMaxProtocolVersion) __builtin_trap();
        for (int setting = kSshProt1Only; setting <= kSshProt2Only; ++setting) {
            ProtocolChoice choice = ChooseSshProtocol(server.protocol, setting);
            if (choice.version != 0) ClientVersionLine(choice.version, server.protocol);
        }
        QuirkLogLines(ApplyQuirkSettings(DetectQuirks(server.software), SshSettings{}));
    }

    std::string_view bytes(reinterpret_cast<const char*>(stream.data()), stream.size());
    size_t cut = std::min(bytes.find('\0'), bytes.size());
    std::string_view pattern = bytes.substr(0, cut);
    std::string_view text = cut < bytes.size() ? bytes.substr(cut + 1) : std::string_view{};
    bool matched = WildcardMatch(pattern, text);
    // A leading "*" can only widen what matches.
    if (matched && pattern.size() < 4096) {
        std::string starred = "*" + std::string(pattern);
        if (!WildcardMatch(starred, text)) __builtin_trap();
    }
    return 0;
}

#include "ssh/keyfile_lines.h"

#include "ssh/base64.h"

namespace vorto::ssh {

namespace {

constexpr size_t kMaxBase64Line = 64;

// Up to the end of the line, then past its ending. False at the end of
// the file, where no line starts.
bool ReadLine(KeyTextReader& r, std::string_view& line) {
    if (r.left == 0) return false;
    size_t length = 0;
    while (length < r.left && r.at[length] != '\n' && r.at[length] != '\r') ++length;
    line = {r.at, length};
    size_t consumed = length;
    if (consumed < r.left) {
        // CR LF and LF CR are one ending each.
        char first = r.at[consumed++];
        char pair = first == '\n' ? '\r' : '\n';
        if (consumed < r.left && r.at[consumed] == pair) ++consumed;
    }
    r.at += consumed;
    r.left -= consumed;
    return true;
}

// Decimal digits only; false when the number exceeds `limit`.
bool ParseCount(std::string_view text, size_t limit, size_t& count) {
    if (text.empty()) return false;
    count = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        count = count * 10 + size_t(c - '0');
        if (count > limit) return false;
    }
    return true;
}

}  // namespace

KeyTextReader KeyTextReaderOf(std::span<const uint8_t> file) {
    return KeyTextReader{reinterpret_cast<const char*>(file.data()), file.size()};
}

bool ReadHeader(KeyTextReader& r, std::string_view& name, std::string_view& value) {
    size_t length = 0;
    while (length < r.left && length <= kMaxHeaderName && r.at[length] != ':') {
        if (r.at[length] == '\n' || r.at[length] == '\r') return false;
        ++length;
    }
    if (length > kMaxHeaderName || length + 2 > r.left || r.at[length] != ':' || r.at[length + 1] != ' ')
        return false;
    name = {r.at, length};
    r.at += length + 2;
    r.left -= length + 2;
    // The value may be empty and the file may end right after it.
    if (r.left == 0) {
        value = {};
        return true;
    }
    return ReadLine(r, value);
}

bool ReadNamedHeader(KeyTextReader& r, std::string_view name, std::string_view& value) {
    std::string_view found;
    return ReadHeader(r, found, value) && found == name;
}

bool ReadBase64Lines(KeyTextReader& r, std::string_view count_text, std::vector<uint8_t>& blob) {
    // Each line takes at least one byte of what remains.
    size_t lines;
    if (!ParseCount(count_text, r.left, lines)) return false;
    // Four characters make at most three bytes, whatever the count claims.
    constexpr size_t kMostPerLine = kMaxBase64Line / 4 * 3;
    size_t bound = r.left / 4 * 3;
    size_t most = lines <= bound / kMostPerLine ? lines * kMostPerLine : bound;
    blob.reserve(blob.size() + most);
    for (size_t i = 0; i < lines; ++i) {
        std::string_view line;
        if (!ReadLine(r, line) || line.size() > kMaxBase64Line) return false;
        if (!Base64DecodeAppend(line, blob)) return false;
    }
    return true;
}

}  // namespace vorto::ssh


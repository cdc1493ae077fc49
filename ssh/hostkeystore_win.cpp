#include "ssh/hostkeystore_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/libreg_win.h"

namespace vorto::ssh {

namespace {

constexpr char kCacheSubkey[] = "SshHostKeys";

enum class Stored { kMissing, kUnusable, kTooLong, kText };

// Reads a REG_SZ value of at most `limit` bytes of text into a buffer of
// that size, so that a forged huge value is never read whole. (Asking for
// the size first would not do: for strings the ANSI call may report more
// than the text holds.)
Stored ReadCachedText(HKEY key, const std::string& name, size_t limit, std::string& text) {
    constexpr size_t kTerminatorSlack = 16;
    std::vector<char> buffer(limit + kTerminatorSlack + 1, '\0');
    DWORD type = 0, got = static_cast<DWORD>(buffer.size() - 1);
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (rc == ERROR_FILE_NOT_FOUND) return Stored::kMissing;
    if (rc == ERROR_MORE_DATA) {
        type = 0;
        RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, nullptr);
        return type == REG_SZ ? Stored::kTooLong : Stored::kUnusable;
    }
    if (rc != ERROR_SUCCESS || type != REG_SZ || got >= buffer.size()) return Stored::kUnusable;
    // The terminator is not part of the text; a zero inside it is, so that
    // "key\0junk" never passes for "key".
    while (got > 0 && buffer[got - 1] == '\0') --got;
    text.assign(buffer.data(), got);
    return text.size() > limit ? Stored::kTooLong : Stored::kText;
}

bool WriteCachedText(HKEY key, const std::string& name, std::string_view text) {
    // Not through RegWriteString: it shortens very long strings, and a
    // shortened key would later read as a changed one.
    std::string data(text);
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

// An old SSH-1 entry: the converted text, or kMissing / kUnusable.
Stored ReadOldRsaKey(HKEY key, std::string_view host, size_t key_length, std::string& text) {
    // An empty host would name the key's default value.
    if (host.empty()) return Stored::kMissing;
    std::string old_text;
    // The old form pads each number to whole words; allow for that and more.
    Stored stored = ReadCachedText(key, OldHostKeyValueName(host), 2 * key_length + 64, old_text);
    if (stored == Stored::kTooLong) return Stored::kTooLong;
    if (stored != Stored::kText) return stored;
    // Text that does not convert is no key of this form: a different key.
    if (!ConvertOldRsaKeyText(old_text, text)) text = old_text;
    return Stored::kText;
}

}  // namespace

HostKeyStatus CheckHostKey(std::string_view host, unsigned port, std::string_view key_type,
                           std::string_view key_text) {
    HKEY key = OpenAppKey(kCacheSubkey, kKeyStartupRead);
    if (!key) return kHostKeyNotCached;
    const std::string name = HostKeyValueName(key_type, port, host);
    std::string stored_text;
    Stored stored = ReadCachedText(key, name, key_text.size(), stored_text);
    bool from_old_name = false;
    if (stored == Stored::kMissing && key_type == kHostKeyTypeRsa1) {
        stored = ReadOldRsaKey(key, host, key_text.size(), stored_text);
        from_old_name = stored == Stored::kText;
    }
    RegCloseKey(key);

    if (stored == Stored::kMissing || stored == Stored::kUnusable) return kHostKeyNotCached;
    if (stored == Stored::kTooLong || stored_text != key_text) return kHostKeyChanged;
    if (from_old_name) StoreHostKey(host, port, key_type, key_text);
    return kHostKeyMatches;
}

bool StoreHostKey(std::string_view host, unsigned port, std::string_view key_type, std::string_view key_text) {
    HKEY key = OpenAppKey(kCacheSubkey, 0);
    if (!key) return false;
    bool written = WriteCachedText(key, HostKeyValueName(key_type, port, host), key_text);
    RegCloseKey(key);
    return written;
}

}  // namespace vorto::ssh

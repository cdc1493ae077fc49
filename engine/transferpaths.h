// Paths a transfer writes to: server names joined under a folder the user
// chose, and the free name for a copy opened for editing or viewing.
// Portable; every result fits the 260-byte path buffers or is refused.
#ifndef VORTO_ENGINE_TRANSFERPATHS_H
#define VORTO_ENGINE_TRANSFERPATHS_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

constexpr size_t kPathCapacity = 260;  // bytes, terminator included

// Result codes of the joins, the system's own codes for these failures.
constexpr int kPathTooLong = 206;    // ERROR_FILENAME_EXCED_RANGE
constexpr int kPathBadName = 123;    // ERROR_INVALID_NAME

using LeadByteTest = bool (*)(unsigned char byte);

// Whether `name` may become one local file or folder name: no separators,
// drive colon, wildcard or control characters, not "." or "..", no trailing
// dot or blank (the file system would drop them and name another file),
// and not a device name such as CON or LPT1.
bool IsSafeLocalName(std::string_view name, LeadByteTest isLeadByte = nullptr);

// Whether `name` may be sent to the server as one path component: no "/",
// no control characters (a CR or LF would end the command line), not "."
// or "..".
bool IsSafeServerName(std::string_view name);

// `folder` + "\" + `name` into `out`. 0, kPathBadName or kPathTooLong.
int JoinLocalPath(std::string_view folder, std::string_view name, std::string& out,
                  LeadByteTest isLeadByte = nullptr);
// `folder` + "/" + `name` into `out`. 0, kPathBadName or kPathTooLong.
int JoinServerPath(std::string_view folder, std::string_view name, std::string& out);

// The part after the last "/" or "\" (the whole text when there is none).
std::string_view BaseName(std::string_view path);
// The part before the last `separator`; "/" for a server file in the root.
std::string ParentPath(std::string_view path, char separator);

// For a copy opened for editing: `path` itself when nothing of that name
// exists, else the first free "stem<n>.ext" (n = 1, 2, ...), where only the
// last path component is split at its last dot. False when no free name
// fits the path buffers.
bool FreeEditName(std::string_view path, const std::function<bool(const std::string&)>& exists, std::string& out);

#endif

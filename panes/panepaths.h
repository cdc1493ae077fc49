// Path rules of the panes: joining a name to a directory ('/' on the
// server, '\' locally), the parent of a server directory, the mapping of
// synchronized browsing, and free names for new items.
#ifndef VORTO_PANES_PANEPATHS_H
#define VORTO_PANES_PANEPATHS_H

#include <cstddef>
#include <string>
#include <string_view>

constexpr size_t kPathCapacity = 260;

// A name containing `separator` is taken as a full path; otherwise it is
// joined to `directory` with one separator between (none added when the
// directory already ends in one). False when the result would not fit in
// 260 bytes with its terminator: a path is never cut into another name.
bool JoinPanePath(std::string_view directory, std::string_view name, char separator, std::string& out);

// Up one level on the server: "/" stays "/", "/a" gives "/", "/a/b/"
// gives "/a"; a path without '/' is kept.
std::string RemoteParent(std::string_view path);

// Synchronized browsing: one pane moved from `from` to `to` (separator
// `fromSeparator`); the other pane shows `otherCurrent` with its own
// separator. Fills `out` and returns true when the other pane should move.
bool MapSyncChange(std::string_view from, std::string_view to, char fromSeparator, std::string_view otherCurrent,
                   char otherSeparator, std::string& out);

// "NewFolder", or "NewFolder2", "NewFolder3", ... the first name for which
// `taken` is false.
template <typename Taken> std::string FreeNewName(const std::string& base, Taken taken) {
  if (!taken(base)) return base;
  for (int n = 2;; ++n) {
    std::string name = base + std::to_string(n);
    if (!taken(name)) return name;
  }
}

// Whether a name received from a server may become a file name inside a
// local folder: no separators, no drive or stream colon, not made of dots
// and blanks only, no control bytes, and short enough to join.
bool IsPlainLocalName(std::string_view name);

#endif

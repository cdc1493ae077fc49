// One directory entry as the listings produce it and the panes show it.
// Portable: the modification time is a file time (100 ns units since
// 1601-01-01 UTC); the Windows layer converts it to FILETIME at its edge.
#ifndef VORTO_ENGINE_FILEENTRY_H
#define VORTO_ENGINE_FILEENTRY_H

#include <cstdint>

// Windows attribute bits as the entries carry them.
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrNormal = 0x80;
// A symbolic link is shown and entered like a directory; the high bit
// tells it apart.
constexpr uint32_t kAttrLinkFlag = 0x80000000;
constexpr uint32_t kAttrSymlink = kAttrLinkFlag | kAttrDirectory;

constexpr int32_t kNoViewSlot = -1;

struct FileEntry {
  int64_t size = 0;
  uint64_t modified = 0;   // UTC file time; 0 when unknown
  char name[260] = {};     // no directory part; a link's name without " -> target"
  char permissions[12] = {};
  char owner[40] = {};
  uint32_t attributes = 0;
  int32_t viewSlot[2] = {kNoViewSlot, kNoViewSlot};  // owned by the panes
  uint8_t cutMark = 0;     // set by a pane while the entry is cut to the clipboard
};

inline bool IsDirectoryEntry(const FileEntry& e) { return (e.attributes & kAttrDirectory) != 0; }
inline bool IsSymlinkEntry(const FileEntry& e) { return (e.attributes & kAttrLinkFlag) != 0; }

#endif

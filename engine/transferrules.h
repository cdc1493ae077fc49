// Rules of a transfer that need no platform: step kinds, comparison flags,
// the name lists of the profile, and what happens after a file arrives.
#ifndef VORTO_ENGINE_TRANSFERRULES_H
#define VORTO_ENGINE_TRANSFERRULES_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Kinds of the steps of a transfer list.
enum StepKind {
  kStepDelete = 1,
  kStepRemoveDirectory = 2,
  kStepMakeDirectory = 3,
  kStepNewFile = 4,
  kStepReplaceFile = 5,
};

// Comparison flags passed by reference through a walk.
constexpr int kCompareConfirm = 1;     // ask before replacing; delete nothing
constexpr int kCompareYesToAll = 2;    // replace without asking
constexpr int kCompareProtected = 4;   // below a do-not-delete folder

// Transfer job flags.
constexpr uint32_t kTransferOverwrite = 2;           // the profile replaces without asking
constexpr uint32_t kTransferOpen = 0x800000;         // download to open the copy
constexpr uint32_t kTransferRunTool = 0x2000000;     // + tool number: run a tool on the copy
constexpr uint32_t kTransferEdit = 0x20000000;       // download to edit the copy
constexpr uint32_t kTransferRestartWatch = 0x4000000;
constexpr uint32_t kTransferReplaceQuietly = 0x40000000;

// Downloads into the temporary folder that open, edit or run a tool on the copy.
inline bool IsEditOrViewTransfer(uint32_t flags) {
  return (flags & (kTransferOpen | kTransferEdit | kTransferRunTool)) != 0;
}
// Comparison flags a transfer of a selection starts with.
inline int InitialCompareFlags(uint32_t jobFlags) {
  return (jobFlags & (kTransferReplaceQuietly | kTransferOverwrite)) ? kCompareConfirm | kCompareYesToAll
                                                                      : kCompareConfirm;
}

// The shell's wildcard match: "*" any run, "?" one character, letters
// without case. Several patterns may be separated by ";".
bool MatchesNamePattern(std::string_view name, std::string_view pattern);
bool NameInPatterns(std::string_view name, const std::vector<std::string>& patterns);

// Whether the panes' file mask hides an entry: a file whose name matches
// none of its patterns. Folders are never hidden, an empty mask hides
// nothing, and "*.*" shows every name, with or without a dot, as the
// shell's match does.
bool HiddenByFilter(std::string_view name, bool folder, std::string_view mask);

// Whether an uploaded file gets the profile's permission: mode 1 always,
// mode 2 when the extension of `name` is in `permissionTypes`.
bool SetsPermissionAfterUpload(int mode, std::string_view name, const std::vector<std::string>& permissionTypes);

// Whether a file travels as text: mode 1 always, 2 never, 0 when the
// extension of the last component of `path` is in `textTypes`.
bool IsTextTransfer(std::string_view path, int mode, const std::vector<std::string>& textTypes);

// Comparison of two UTC file times as the system's CompareFileTime does.
inline int CompareTimes(uint64_t a, uint64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

#endif

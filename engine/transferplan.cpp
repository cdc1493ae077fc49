#include "engine/transferplan.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "engine/transferrules.h"

namespace {
bool SameName(std::string_view a, std::string_view b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  if (!ignoreCase) return a == b;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool Listed(const std::vector<std::string>* patterns, std::string_view name) {
  return patterns && NameInPatterns(name, *patterns);
}

bool Cancelled(const PlanSides& sides) { return sides.cancelled && sides.cancelled(); }

// Joins `name` under a folder of the source (upload: local) or destination
// side. Server names are refused when they could not be sent as one path
// component, local names when they could name something outside the folder.
int JoinOnSide(const PlanSides& sides, bool serverSide, const std::string& folder, std::string_view name,
               std::string& out) {
  return serverSide ? JoinServerPath(folder, name, out) : JoinLocalPath(folder, name, out, sides.isLeadByte);
}

// Both paths of an entry, or false after reporting why it cannot be moved.
bool JoinPair(const PlanSides& sides, const std::string& source, const std::string& destination,
              std::string_view name, TransferStep& step) {
  const bool upload = sides.direction != 0;
  int code = JoinOnSide(sides, !upload, source, name, step.source);
  if (code == 0) code = JoinOnSide(sides, upload, destination, name, step.destination);
  if (code == 0) return true;
  if (sides.reportName) sides.reportName(code, destination, std::string(name));
  return false;
}

bool Hidden(const PlanSides& sides, const FileEntry& e) {
  return HiddenByFilter(e.name, IsDirectoryEntry(e), sides.filterMask);
}

// Leaves out what the file mask hides.
void DropHidden(const PlanSides& sides, std::vector<FileEntry>& entries) {
  if (sides.filterMask.empty()) return;
  entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const FileEntry& e) { return Hidden(sides, e); }),
                entries.end());
}

// Delete steps for everything in a destination folder, then the folder.
// Links are deleted as links, never entered. A file the mask hides stays,
// and so do the folders that hold it (`kept`).
int DeleteFolderSteps(PlanSides& sides, const std::string& folder, std::vector<TransferStep>& steps, bool& kept) {
  const bool serverSide = sides.direction != 0;
  std::vector<FileEntry> entries;
  int result = sides.list(serverSide, folder, entries);
  if (result != 0) return result;
  for (const FileEntry& e : entries) {
    if (Cancelled(sides)) return kPlanCancelled;
    if (Hidden(sides, e)) {
      kept = true;
      continue;
    }
    TransferStep step;
    if (JoinOnSide(sides, serverSide, folder, e.name, step.destination) != 0) {
      // A name that cannot be addressed keeps its folder from going too.
      if (sides.reportName) sides.reportName(kPathBadName, folder, e.name);
      continue;
    }
    if (IsWalkedFolder(e)) {
      bool keptBelow = false;
      result = DeleteFolderSteps(sides, step.destination, steps, keptBelow);
      if (result != 0) return result;
      kept = kept || keptBelow;
      continue;
    }
    step.kind = kStepDelete;
    steps.push_back(std::move(step));
  }
  if (kept) return 0;
  TransferStep self;
  self.kind = kStepRemoveDirectory;
  self.destination = folder;
  steps.push_back(std::move(self));
  return 0;
}

int Walk(PlanSides& sides, const std::string& source, const std::string& destination, int& flags, bool compare,
         std::vector<TransferStep>& steps) {
  const bool upload = sides.direction != 0;
  std::vector<FileEntry> sourceEntries;
  int result = sides.list(!upload, source, sourceEntries);
  if (result != 0) return result;
  DropHidden(sides, sourceEntries);

  if (compare) {
    std::vector<FileEntry> destinationEntries;
    result = sides.list(upload, destination, destinationEntries);
    if (result != 0) return result;
    DropHidden(sides, destinationEntries);
    for (const FileEntry& existing : destinationEntries) {
      if (Cancelled(sides)) return kPlanCancelled;
      const bool folder = IsWalkedFolder(existing);
      auto found = std::find_if(sourceEntries.begin(), sourceEntries.end(), [&](const FileEntry& e) {
        return IsWalkedFolder(e) == folder && SameName(e.name, existing.name, sides.ignoreCase);
      });
      if (found == sourceEntries.end() || Listed(sides.notTransferred, existing.name)) {
        if ((flags & (kCompareConfirm | kCompareProtected)) || Listed(sides.notDeleted, existing.name)) continue;
        std::string path;
        if (JoinOnSide(sides, upload, destination, existing.name, path) != 0) {
          if (sides.reportName) sides.reportName(kPathBadName, destination, existing.name);
          continue;
        }
        if (folder) {
          bool kept = false;
          result = DeleteFolderSteps(sides, path, steps, kept);
          if (result != 0) return result;
        } else {
          TransferStep step;
          step.kind = kStepDelete;
          step.destination = std::move(path);
          steps.push_back(std::move(step));
        }
        continue;
      }
      const FileEntry incoming = *found;
      sourceEntries.erase(found);
      TransferStep step;
      if (!JoinPair(sides, source, destination, incoming.name, step)) continue;
      if (folder) {
        // Protection holds for the whole subtree; leaving it restores what
        // the parent had, so a protected folder inside a protected folder
        // does not unprotect the rest of the outer one.
        const int saved = flags & kCompareProtected;
        if (Listed(sides.notDeleted, incoming.name)) flags |= kCompareProtected;
        result = Walk(sides, step.source, step.destination, flags, true, steps);
        flags = (flags & ~kCompareProtected) | saved;
        if (result != 0) return result;
        continue;
      }
      bool replace;
      if (flags & kCompareConfirm) {
        replace = (flags & kCompareYesToAll) != 0;
        if (!replace) {
          int answer = sides.askOverwrite ? sides.askOverwrite(incoming, existing, destination, sides.onlyIfNewer)
                                          : kAnswerNo;
          if (answer == kAnswerCancel) return kPlanCancelled;
          if (answer == kAnswerYesToAll) flags |= kCompareYesToAll;
          replace = answer == kAnswerYesToAll || answer == kAnswerYes;
        }
        if (replace && sides.onlyIfNewer && CompareTimes(incoming.modified, existing.modified) <= 0) replace = false;
      } else {
        replace = CompareTimes(incoming.modified, existing.modified) > 0;
      }
      if (!replace) continue;
      step.kind = kStepReplaceFile;
      step.size = incoming.size;
      step.fileTime = incoming.modified;
      steps.push_back(std::move(step));
    }
  }

  for (const FileEntry& e : sourceEntries) {
    if (Cancelled(sides)) return kPlanCancelled;
    if (Listed(sides.notTransferred, e.name)) continue;
    TransferStep step;
    if (!JoinPair(sides, source, destination, e.name, step)) continue;
    if (IsWalkedFolder(e)) {
      step.kind = kStepMakeDirectory;
      std::string from = step.source, to = step.destination;
      steps.push_back(std::move(step));
      result = Walk(sides, from, to, flags, false, steps);
      if (result != 0) return result;
      continue;
    }
    step.kind = kStepNewFile;
    step.size = e.size;
    step.fileTime = e.modified;
    steps.push_back(std::move(step));
  }
  return 0;
}
}  // namespace

int WalkFolderPair(PlanSides& sides, const std::string& source, const std::string& destination, int& flags,
                   std::vector<TransferStep>& steps) {
  return Walk(sides, source, destination, flags, true, steps);
}

int PlanSelection(PlanSides& sides, const std::vector<SelectedItem>& selection, const std::string& destinationFolder,
                  int flags, bool editOrView, std::vector<TransferStep>& steps) {
  const bool upload = sides.direction != 0;
  for (const SelectedItem& item : selection) {
    if (Cancelled(sides)) return kPlanCancelled;
    const std::string name(item.destinationName.empty() ? BaseName(item.path) : item.destinationName);
    TransferStep step;
    step.source = item.path;
    int code = JoinOnSide(sides, upload, destinationFolder, name, step.destination);
    if (code != 0) {
      if (sides.reportName) sides.reportName(code, destinationFolder, name);
      continue;
    }
    if (item.directory) {
      bool cancel = false;
      int answer = sides.askFolder ? sides.askFolder(destinationFolder, name, flags, cancel) : kFolderMissing;
      if (cancel) return kPlanCancelled;
      if (answer == kFolderSkip) continue;
      if (answer == kFolderMissing) {
        step.kind = kStepMakeDirectory;
        steps.push_back(step);
      }
      int result = Walk(sides, step.source, step.destination, flags, answer != kFolderMissing, steps);
      if (result != 0) return result;
      continue;
    }
    step.kind = kStepNewFile;
    step.size = item.size;
    step.fileTime = item.fileTime;
    if (editOrView) {
      std::string free;
      if (!FreeEditName(step.destination, sides.localExists ? sides.localExists : [](const std::string&) { return false; },
                        free)) {
        if (sides.reportName) sides.reportName(kPathTooLong, destinationFolder, name);
        continue;
      }
      step.destination = std::move(free);
      steps.push_back(std::move(step));
      continue;
    }
    bool cancel = false;
    bool transfer = sides.askFile ? sides.askFile(step, destinationFolder, flags, cancel) : true;
    if (cancel) return kPlanCancelled;
    if (transfer) steps.push_back(std::move(step));
  }
  return Cancelled(sides) ? kPlanCancelled : 0;
}

int PrefetchServerTree(const std::string& root, const ListLevel& listLevel,
                       std::map<std::string, std::vector<FileEntry>>& cache, const std::function<bool()>& cancelled) {
  std::vector<std::string> level{root};
  while (!level.empty()) {
    if (cancelled && cancelled()) return kPlanCancelled;
    std::vector<std::vector<FileEntry>> listings(level.size());
    int result = listLevel(level, listings);
    if (result != 0) return result;
    std::vector<std::string> next;
    for (size_t i = 0; i < level.size(); ++i) {
      for (const FileEntry& e : listings[i]) {
        std::string path;
        // Names that cannot be addressed are reported when the walk meets them.
        if (IsWalkedFolder(e) && JoinServerPath(level[i], e.name, path) == 0 && !cache.count(path))
          next.push_back(std::move(path));
      }
      cache[level[i]] = std::move(listings[i]);
    }
    level.swap(next);
  }
  return 0;
}

void SortForReview(std::vector<TransferStep>& steps) {
  std::stable_sort(steps.begin(), steps.end(),
                   [](const TransferStep& a, const TransferStep& b) { return a.kind < b.kind; });
}

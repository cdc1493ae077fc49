// Building a transfer list: the steps for a selection, the comparison walk
// of a folder pair (also the synchronize command), the prefetch of a server
// tree, and the order in which a synchronize list is reviewed. Portable:
// listings, questions and reports come in through the callbacks of
// `PlanSides`, so the same code runs against the workers and in unit tests.
#ifndef VORTO_ENGINE_TRANSFERPLAN_H
#define VORTO_ENGINE_TRANSFERPLAN_H

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/fileentry.h"
#include "engine/transferpaths.h"

constexpr int kPlanCancelled = 1223;  // ERROR_CANCELLED

struct TransferStep {
  int kind = 0;            // StepKind
  int64_t size = 0;
  uint64_t fileTime = 0;   // UTC, 100 ns since 1601
  std::string source;
  std::string destination;
};

// Answers of the overwrite question, as the dialog returns them.
enum OverwriteAnswer { kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7, kAnswerYesToAll = 10 };
// Answers of the folder question.
enum FolderAnswer { kFolderSkip = 0, kFolderMerge = 1, kFolderMissing = 2 };

struct PlanSides {
  int direction = 1;  // 1 upload (local source, server destination), 0 download
  bool ignoreCase = false;
  const std::vector<std::string>* notTransferred = nullptr;
  const std::vector<std::string>* notDeleted = nullptr;
  LeadByteTest isLeadByte = nullptr;
  bool onlyIfNewer = false;  // the overwrite dialog's check box, kept between questions
  // The panes' file mask: a file it hides is neither transferred nor
  // deleted by a walk, and a folder that keeps one is not removed.
  std::string filterMask;

  // Lists one folder of the server or the local side; non-zero fails the walk.
  std::function<int(bool serverSide, const std::string& folder, std::vector<FileEntry>& entries)> list;
  // The overwrite question for an existing destination file: an OverwriteAnswer.
  std::function<int(const FileEntry& source, const FileEntry& existing, const std::string& folder,
                    bool& onlyIfNewer)> askOverwrite;
  // The destination's questions about one selected item (the panes' rules).
  std::function<int(const std::string& folder, const std::string& name, int& flags, bool& cancel)> askFolder;
  std::function<bool(TransferStep& step, const std::string& folder, int& flags, bool& cancel)> askFile;
  // Whether a local file exists (free names for edit-or-view copies).
  std::function<bool(const std::string& path)> localExists;
  std::function<bool()> cancelled;
  // A name that cannot be joined under its folder: the file fails alone.
  std::function<void(int code, const std::string& folder, const std::string& name)> reportName;
};

// One selected item handed to a transfer.
struct SelectedItem {
  std::string path;        // full source path
  bool directory = false;
  int64_t size = 0;
  uint64_t fileTime = 0;
  std::string destinationName;  // target name when not the source's own
};

// Compares the source folder with the destination folder and appends the
// steps that make the destination match (see the comparison flags).
// Returns 0, the failure of a listing, or kPlanCancelled.
int WalkFolderPair(PlanSides& sides, const std::string& source, const std::string& destination, int& flags,
                   std::vector<TransferStep>& steps);

// The steps for a selection transferred into `destinationFolder`.
int PlanSelection(PlanSides& sides, const std::vector<SelectedItem>& selection, const std::string& destinationFolder,
                  int flags, bool editOrView, std::vector<TransferStep>& steps);

// Lists `root` and every folder below it into `cache`, one level at a time;
// `listLevel` lists a batch of folders at once. Links are not followed.
using ListLevel = std::function<int(const std::vector<std::string>& folders,
                                    std::vector<std::vector<FileEntry>>& listings)>;
int PrefetchServerTree(const std::string& root, const ListLevel& listLevel,
                       std::map<std::string, std::vector<FileEntry>>& cache, const std::function<bool()>& cancelled);

// Review order of a synchronize list: by kind, stable (deletes, removals,
// creations, new files, replacements, each in walk order).
void SortForReview(std::vector<TransferStep>& steps);

// Whether an entry is walked into: a folder that is not a link.
inline bool IsWalkedFolder(const FileEntry& e) { return IsDirectoryEntry(e) && !IsSymlinkEntry(e); }

#endif

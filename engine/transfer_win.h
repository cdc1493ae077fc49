// Transfers of files and folders between the local disk and the server,
// as the panes and the main window start them: a selection of names with
// a destination folder, one edited file saved back, or a synchronize walk
// whose list is reviewed before it runs.
#ifndef VORTO_ENGINE_TRANSFER_WIN_H
#define VORTO_ENGINE_TRANSFER_WIN_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/engine_win.h"
#include "engine/fileentry.h"

// Starts a transfer job. `selection` holds one item per selected entry:
// source = its full path, kind = its attributes (0x10 for a folder), size
// and time when known (for an upload, items with time 0 are read from the
// disk). A non-empty destination field names the target file instead of
// the source's own name. direction 1 uploads into the server folder
// `destinationFolder`, 0 downloads into the local one. False when the job
// could not start.
bool StartTransfer(const char* destinationFolder, int direction, uint32_t flags,
                   std::vector<TransferItem> selection);

// Uploads an edited copy back over `remotePath` without asking; its
// completion restarts the editor watch timer. Only while connected.
bool UploadFile(const char* remotePath, const char* localFile);

// Walks `localFolder` against `serverFolder` and completes with 0x8000000:
// the job's transfer list holds the steps for the review.
bool StartSynchronize(const char* localFolder, const char* serverFolder);
// Runs a reviewed list (the kept synchronize job) as an upload; the job is
// owned by the engine again until its completion.
bool RunReviewedList(EngineJob* job);

unsigned __stdcall TransferSelectionJob(void* job);
unsigned __stdcall SynchronizeJob(void* job);
unsigned __stdcall ExecuteTransferListJob(void* job);
// Runs the job's list on the workers; 0 when every step succeeded, else the
// first failure (1223 after a cancel).
int ExecuteTransferList(EngineJob* job);

// The start tick of the action that just finished, cleared so that it is
// shown once; 0 when the finished job was not timed.
DWORD TakeTransferStartTick();

// One question about an item that exists at the destination.
struct OverwriteQuestion {
  bool folder = false;
  const char* directory = "";         // destination folder
  const char* name = "";
  const FileEntry* existing = nullptr;  // files only
  const FileEntry* incoming = nullptr;
  bool onlyIfNewer = false;             // in and out: the check box
};
// Answers 6 yes, 7 no, 10 yes to all, 2 cancel. Tests install a hook that
// answers without windows; null restores the dialogs (140 file, 141 folder).
using OverwriteHook = int (*)(OverwriteQuestion& question);
void SetOverwriteHook(OverwriteHook hook);
int AskOverwriteDialog(OverwriteQuestion& question);  // transferdialogs_win.cpp

#endif

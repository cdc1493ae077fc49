// The review of a synchronize list before it runs (dialog 135).
#ifndef VORTO_ENGINE_SYNCREVIEW_WIN_H
#define VORTO_ENGINE_SYNCREVIEW_WIN_H

#include <windows.h>

#include <vector>

#include "engine/engine_win.h"

// Sorts the job's list by step kind (stable) and shows it; the user may
// remove rows. True when the user chose OK and steps are left to run
// (then RunReviewedList(job) starts them).
bool ReviewSynchronizeList(HWND owner, EngineJob* job);
void SortStepsForReview(std::vector<TransferItem>& steps);

#endif

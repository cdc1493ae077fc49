// Refused logins of the whole pool: every worker that the server refuses
// waits for one question to the user, and all of them retry with its
// answer. A Cancel ends every refused worker, with one report.
#include "base/program_win.h"
#include "engine/engine_win.h"

namespace {
SRWLOCK gLock = SRWLOCK_INIT;
CONDITION_VARIABLE gAnswered = CONDITION_VARIABLE_INIT;
int gAnswers = 0;        // answers given with new credentials
bool gAsking = false;    // a worker's question is on the screen
bool gGaveUp = false;    // the user cancelled during this connect
}  // namespace

void ResetLoginQuestion() {
  AcquireSRWLockExclusive(&gLock);
  gGaveUp = false;
  ReleaseSRWLockExclusive(&gLock);
}

int LoginAnswerCount() {
  AcquireSRWLockShared(&gLock);
  int answers = gAnswers;
  ReleaseSRWLockShared(&gLock);
  return answers;
}

LoginOutcome AwaitLoginAnswer(int answers, DWORD code) {
  AcquireSRWLockExclusive(&gLock);
  for (;;) {
    // Credentials newer than the refused ones: try those first.
    if (gAnswers != answers) {
      ReleaseSRWLockExclusive(&gLock);
      return kLoginRetry;
    }
    if (gGaveUp) {
      ReleaseSRWLockExclusive(&gLock);
      return kLoginGaveUp;
    }
    if (!gAsking) break;
    SleepConditionVariableSRW(&gAnswered, &gLock, INFINITE, 0);
  }
  gAsking = true;
  ReleaseSRWLockExclusive(&gLock);
  // The dialog stores the new credentials before it answers.
  LRESULT answer = MainWindow() ? SendMessageA(MainWindow(), WM_LOGIN_REFUSED, 0, static_cast<LPARAM>(code)) : 0;
  AcquireSRWLockExclusive(&gLock);
  gAsking = false;
  if (answer == IDOK)
    ++gAnswers;
  else
    gGaveUp = true;
  WakeAllConditionVariable(&gAnswered);
  ReleaseSRWLockExclusive(&gLock);
  return answer == IDOK ? kLoginRetry : kLoginCancelledHere;
}

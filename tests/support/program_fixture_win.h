// A test that starts the real program on an empty settings tree and makes
// sure it is gone afterwards.
#ifndef VORTO_TESTS_PROGRAM_FIXTURE_WIN_H
#define VORTO_TESTS_PROGRAM_FIXTURE_WIN_H

#include <string>

#include "support/program_driver_win.h"
#include "support/registry_fixture_win.h"

class ProgramTest : public RegistryTest {
 protected:
  void TearDown() override {
    KillProgram(program_);
    RegistryTest::TearDown();
  }

  void Start(const std::string& args) {
    // The X pointer starts at the middle of the screen, right over the
    // splitter: a real mouse move there would interleave with the messages
    // a test sends. It waits in a corner the window does not cover.
    Xdotool("mousemove 1279 1023");
    ASSERT_TRUE(StartProgram(args, program_)) << "main window did not appear";
  }

  void CloseAndWait() {
    PostMessageA(program_.mainWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit(program_)) << "program did not end after WM_CLOSE";
  }

  RunningProgram program_;
};

#endif

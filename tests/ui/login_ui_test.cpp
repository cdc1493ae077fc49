// A refused login in the real program: every worker of the profile is
// refused at once, the user is asked once, and the answer logs all of them in.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "profiles/profilestore_win.h"
#include "res/resource.h"
#include "support/peers_win.h"
#include "support/program_fixture_win.h"

namespace {
struct LoginDialogs {
  DWORD process;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectLoginDialog(HWND window, LPARAM lParam) {
  auto& dialogs = *reinterpret_cast<LoginDialogs*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == dialogs.process && IsWindowVisible(window) && GetDlgItem(window, IDC_LOGIN_PASSWORD))
    dialogs.found.push_back(window);
  return TRUE;
}

std::vector<HWND> OpenLoginDialogs(const RunningProgram& program) {
  LoginDialogs dialogs = {program.process.dwProcessId, {}};
  EnumWindows(CollectLoginDialog, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs.found;
}

class Login : public ProgramTest {};
}  // namespace

TEST_F(Login, FourRefusedWorkersAskOnceAndAllLogInWithTheAnswer) {
  const int port = PeerPort("ftp");
  ASSERT_NE(port, 0) << "FTP peer not running";
  ServerProfile p;
  SetDefaultProfile(p);
  std::strcpy(p.host, "127.0.0.1");
  std::strcpy(p.user, "tester");
  std::strcpy(p.password, "wrong");
  p.passive = 1;
  p.connections = 4;
  p.ftpPort = port;
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile("refused", p, lists));
  Start("/c refused");

  std::vector<HWND> open;
  ASSERT_TRUE(WaitUntil([&] { return !(open = OpenLoginDialogs(program_)).empty(); }, 20000));
  HWND dialog = open.front();
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LOGIN_USER)), "tester");
  Sleep(500);
  SendMessageA(GetDlgItem(dialog, IDC_LOGIN_PASSWORD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("secret"));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));

  // The other three were refused too: they log in with this answer and
  // ask nothing more.
  std::vector<HWND> seen = {dialog};
  HWND server = GetDlgItem(program_.mainWindow, IDC_SERVER_PANE);
  HWND status = GetDlgItem(program_.mainWindow, IDC_STATUSBAR);
  std::string connections;
  const bool allIn = WaitUntil(
      [&] {
        for (HWND other : OpenLoginDialogs(program_))
          if (std::find(seen.begin(), seen.end(), other) == seen.end()) seen.push_back(other);
        connections = StatusBarPart(program_, status, 2);
        return connections == "Connections: 4" && WindowText(server) == "127.0.0.1 /";
      },
      20000);
  EXPECT_TRUE(allIn) << connections << ", " << WindowText(server);
  EXPECT_EQ(seen.size(), 1u) << "login questions asked";
  EXPECT_TRUE(OpenLoginDialogs(program_).empty());
  CloseAndWait();
}

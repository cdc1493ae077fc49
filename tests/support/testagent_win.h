// What the agent client's tests and the test agent (testagent_win.cpp) share.
#pragma once

#include <windows.h>

// Asks the test agent started with --keep-mapping whether the client wiped
// the last request's mapping: 1 wiped, 0 not, -1 no mapping kept. The agent
// lets the mapping go.
constexpr UINT kMappingCleanMessage = WM_APP + 1;

// The user this process runs as: the owner the agent expects of a mapping.
struct ProcessUser {
  union {
    TOKEN_USER user;
    BYTE room[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } token;

  PSID Sid() { return token.user.User.Sid; }
};

inline bool ReadProcessUser(ProcessUser& out) {
  HANDLE process_token;
  DWORD size;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process_token)) return false;
  BOOL read = GetTokenInformation(process_token, TokenUser, &out.token, sizeof out.token, &size);
  CloseHandle(process_token);
  return read;
}

// What the agent client's tests and the test agent (testagent_win.cpp) share.
#pragma once

#include <windows.h>

// Asks the test agent started with --keep-mapping whether the client wiped
// the last request's mapping: 1 wiped, 0 not, -1 no mapping kept. The agent
// lets the mapping go.
constexpr UINT kMappingCleanMessage = WM_APP + 1;

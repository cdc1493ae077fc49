// Loopback servers started for the test run (tests/peers): where they listen.
#ifndef VORTO_TESTS_PEERS_WIN_H
#define VORTO_TESTS_PEERS_WIN_H

#include <windows.h>

#include <string>

// Port of the named peer ("ftp"), or 0 when it was not started.
int PeerPort(const char* name);
// The peer's state folder as a Windows path (the Unix path on drive Z:).
std::string PeerFolder(const char* name);

#endif

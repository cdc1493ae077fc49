// Quick connect: an address (typed or given on the command line) connects
// through the reserved profile "Quick Connect", which is never saved back.
#ifndef VORTO_APP_QUICKCONNECT_WIN_H
#define VORTO_APP_QUICKCONNECT_WIN_H

#include <windows.h>

// Parses `address`, puts its host (never a user name or password) at the
// top of the history, makes "Quick Connect" current with the address's
// values and connects. False when the address names no server.
bool QuickConnect(const char* address, bool passive);

#endif

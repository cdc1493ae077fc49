// Quick connect: an address (typed or given on the command line) connects
// through the reserved profile "Quick Connect", which is never saved back.
#ifndef VORTO_APP_QUICKCONNECT_WIN_H
#define VORTO_APP_QUICKCONNECT_WIN_H

#include <windows.h>

// What the quick-connect bar holds besides the address.
struct QuickConnectFields {
  char user[80];
  char password[80];
  bool sftp;
  bool passive;
};

// Parses `address`; an address with a prefix replaces the fields' user,
// password and SFTP choice. Puts the host (never a user name or password)
// at the top of the history, makes "Quick Connect" current with the
// fields' values and the address's port, and connects. While connected the
// user is asked first, and on Yes the connection follows the disconnect.
// False when the address names no server.
bool QuickConnectWithFields(const char* address, QuickConnectFields& fields);
// The completion of that disconnect: connect with the waiting entry, or
// drop it when the switch did not happen.
void ConnectPendingQuickEntry();
void ForgetPendingQuickEntry();

#endif

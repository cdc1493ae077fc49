// The program's command line: "/c name" connects a stored profile, "/?"
// asks for help, and a plain token is a quick-connect address.
#ifndef VORTO_APP_CMDLINE_H
#define VORTO_APP_CMDLINE_H

#include <string>
#include <string_view>
#include <vector>

enum CommandLineMode { kCmdNothing = 0, kCmdAddress = 1, kCmdProfile = 2 };

struct CommandLine {
  int mode = kCmdNothing;
  bool help = false;
  char profile[260] = {};
  char address[260] = {};
  // Set when a token was refused because it does not fit its buffer.
  bool refusedLongToken = false;
};

// Splits a command line the way the C runtime does (blanks separate,
// double quotes group, backslashes escape quotes). The program name is
// not expected at the start.
std::vector<std::string> SplitCommandLine(std::string_view text);

// Skips the program name (quoted or not) at the start of a full command line.
std::string_view SkipProgramName(std::string_view text);

CommandLine ParseCommandLine(const std::vector<std::string>& tokens);

#endif

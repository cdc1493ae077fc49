// File-system helpers of the Windows tests.
#ifndef VORTO_TESTS_FILES_WIN_H
#define VORTO_TESTS_FILES_WIN_H

#include <string>

// Deletes a folder with everything in it, read-only files included.
void RemoveTree(const std::string& folder);

#endif

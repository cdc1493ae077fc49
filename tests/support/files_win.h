// File-system helpers of the Windows tests.
#ifndef VORTO_TESTS_FILES_WIN_H
#define VORTO_TESTS_FILES_WIN_H

#include <string>

// Deletes a folder with everything in it, read-only files included.
void RemoveTree(const std::string& folder);

// Loads vortores.dll from beside the running test program as data and makes
// it the program's resource library; false when it cannot be loaded.
bool LoadTestResourceLibrary();

#endif

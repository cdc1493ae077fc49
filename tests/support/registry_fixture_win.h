// Every Windows test starts from an empty settings tree, as on a first run.
#ifndef VORTO_TESTS_REGISTRY_FIXTURE_WIN_H
#define VORTO_TESTS_REGISTRY_FIXTURE_WIN_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

void DeleteSettingsTree();
bool AppKeyExists(const char* subkey);
// Writes a raw value of any type below Software\Ostravine\Vorto\<subkey>.
void PutRawValue(const char* subkey, const char* name, DWORD type, const void* data, DWORD size);
bool GetRawValue(const char* subkey, const char* name, DWORD& type, std::vector<BYTE>& data);
// A string value of the Common key as the program reads it; empty when missing.
std::string CommonString(const char* name);

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteSettingsTree(); }
  void TearDown() override { DeleteSettingsTree(); }
};

#endif

#include "base/tools_win.h"

#include <cstring>

#include "base/binlist.h"
#include "base/libreg_win.h"
#include "base/textbuf.h"

namespace {
// Stored text longer than a field is cut to the field: a tool title or
// command is shown and edited, never used as a key.
template <size_t N> void FromStored(char (&field)[N], const std::u16string& text) {
  CopyText(field, Utf16ToAnsi(text));
}

std::vector<BYTE> ReadCommonBlob(const char* name) {
  std::vector<BYTE> blob;
  HKEY key = OpenCommonKey(kKeyStartupRead);
  if (key) {
    RegReadBlob(key, name, blob);
    RegCloseKey(key);
  }
  return blob;
}

bool WriteCommonBlob(const char* name, const std::vector<uint8_t>& blob) {
  HKEY key = OpenCommonKey(0);
  if (!key) return false;
  LONG rc = RegSetValueExA(key, name, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}
}  // namespace

std::vector<ExternalTool> LoadToolList() {
  std::vector<BYTE> blob = ReadCommonBlob("Tools");
  std::vector<ExternalTool> tools;
  int slot = 0;
  for (const StoredTool& s : DecodeToolList(blob.data(), blob.size())) {
    ExternalTool t;
    std::memset(&t, 0, sizeof t);
    FromStored(t.title, s.title);
    FromStored(t.command, s.command);
    FromStored(t.arguments, s.arguments);
    FromStored(t.directory, s.directory);
    FromStored(t.iconFile, s.iconFile);
    t.iconIndex = s.iconIndex;
    t.flags = static_cast<int>(s.flags);
    t.iconSlot = t.iconFile[0] ? slot++ : -1;
    tools.push_back(t);
  }
  return tools;
}

bool SaveToolList(const std::vector<ExternalTool>& tools) {
  std::vector<StoredTool> stored;
  for (const ExternalTool& t : tools) {
    StoredTool s;
    s.title = AnsiToUtf16(std::string(t.title, FieldLength(t.title)).c_str());
    s.command = AnsiToUtf16(std::string(t.command, FieldLength(t.command)).c_str());
    s.arguments = AnsiToUtf16(std::string(t.arguments, FieldLength(t.arguments)).c_str());
    s.directory = AnsiToUtf16(std::string(t.directory, FieldLength(t.directory)).c_str());
    s.iconFile = AnsiToUtf16(std::string(t.iconFile, FieldLength(t.iconFile)).c_str());
    s.iconIndex = t.iconIndex;
    s.flags = static_cast<uint32_t>(t.flags);
    stored.push_back(std::move(s));
  }
  std::vector<uint8_t> blob = EncodeToolList(stored);
  // The value is written in one piece and only a complete write counts.
  return blob.size() == MeasureToolList(stored) && WriteCommonBlob("Tools", blob);
}

std::vector<ToolShortcut> LoadToolShortcuts() {
  std::vector<BYTE> blob = ReadCommonBlob("PIKT");
  std::vector<ToolShortcut> list;
  for (const StoredShortcut& s : DecodeShortcutList(blob.data(), blob.size())) {
    ToolShortcut t;
    std::memset(&t, 0, sizeof t);
    t.flags = static_cast<BYTE>(s.flags);
    t.key = s.key;
    FromStored(t.title, s.title);
    list.push_back(t);
  }
  return list;
}

bool SaveToolShortcuts(const std::vector<ToolShortcut>& shortcuts) {
  std::vector<StoredShortcut> stored;
  for (const ToolShortcut& t : shortcuts)
    stored.push_back({t.flags, t.key, AnsiToUtf16(std::string(t.title, FieldLength(t.title)).c_str())});
  return WriteCommonBlob("PIKT", EncodeShortcutList(stored));
}

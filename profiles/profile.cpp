#include "profiles/profile.h"

#include <cstring>

#include "base/textbuf.h"

void SetDefaultProfile(ServerProfile& p) {
  std::memset(&p, 0, sizeof p);
  p.connections = 1;
  p.timingA = 300000;
  p.timingB = 3600000;
  p.timingC = 300000;
  p.ftpPort = 21;
  p.sftpPort = 22;
  p.transferMode = kModeAuto;
  p.sftpTextMode = 1;
  p.filePermission = 0644;
  p.folderPermission = 0755;
}

std::vector<std::string> DefaultAsciiTypes() {
  return {"txt", "htm", "html", "css", "h", "php", "asp", "aspx", "xml", "js", "cgi"};
}
std::vector<std::string> DefaultNotTransferred() { return {"_*", "*.bak", "desktop.ini", ".*", "Thumbs.db"}; }
std::vector<std::string> DefaultNotDeleted() { return {".*", "cgi-bin"}; }
std::vector<std::string> DefaultPermissionTypes() { return {"cgi"}; }

void SetDefaultLists(ProfileLists& lists) {
  lists.asciiTypes = DefaultAsciiTypes();
  lists.notTransferred = DefaultNotTransferred();
  lists.notDeleted = DefaultNotDeleted();
  lists.permissionTypes = DefaultPermissionTypes();
}

void SanitizeProfile(ServerProfile& p) {
  TerminateField(p.host);
  TerminateField(p.user);
  TerminateField(p.password);
  TerminateField(p.localFolder);
  TerminateField(p.remoteFolder);
  TerminateField(p.keepAliveCommand);
  TerminateField(p.privateKeyFile);
  if (p.connections < 1) p.connections = 1;
  if (p.connections > kMaxConnections) p.connections = kMaxConnections;
  if (p.ftpPort < 0 || p.ftpPort > 65535) p.ftpPort = 21;
  if (p.sftpPort < 0 || p.sftpPort > 65535) p.sftpPort = 22;
  if (p.transferMode < kModeAuto || p.transferMode > kModeBinary) p.transferMode = kModeAuto;
  if (p.timeZone < 0 || p.timeZone > 26) p.timeZone = 0;
}

void NormalizeHost(char (&host)[260]) {
  TerminateField(host);
  std::string_view text(host);
  if (text.size() >= 6 && EqualsNoCase(text.substr(0, 6), "ftp://")) text.remove_prefix(6);
  size_t cut = text.find_first_of("/\\");
  if (cut != std::string_view::npos) text = text.substr(0, cut);
  std::string copy(text);
  CopyText(host, copy);
}

std::vector<std::string> DecodeMultiString(const uint8_t* data, size_t size) {
  std::vector<std::string> entries;
  size_t pos = 0;
  while (data && pos < size) {
    const void* zero = std::memchr(data + pos, 0, size - pos);
    size_t len = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - (data + pos)) : size - pos;
    if (len == 0) break;
    entries.emplace_back(reinterpret_cast<const char*>(data + pos), len);
    pos += len + 1;
  }
  return entries;
}

std::vector<uint8_t> EncodeMultiString(const std::vector<std::string>& entries) {
  std::vector<uint8_t> out;
  for (const std::string& e : entries) {
    if (e.empty()) continue;  // an empty entry would end the list early
    out.insert(out.end(), e.begin(), e.end());
    out.push_back(0);
  }
  out.push_back(0);
  return out;
}

bool ExtensionInList(std::string_view name, const std::vector<std::string>& extensions) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string_view ext = name.substr(dot + 1);
  for (const std::string& e : extensions)
    if (EqualsNoCase(ext, e)) return true;
  return false;
}

bool IsAsciiTransfer(std::string_view name, int mode, const std::vector<std::string>& asciiTypes) {
  if (mode == kModeAscii) return true;
  if (mode == kModeBinary) return false;
  return ExtensionInList(name, asciiTypes);
}

bool ServerTimeToUtcFixed(int32_t timeZone, uint64_t& fileTime) {
  constexpr int64_t kHour = 36000000000LL;  // 100 ns units
  if (timeZone == 1) return true;
  if (timeZone < 2 || timeZone > 26) return false;
  int64_t shift = static_cast<int64_t>(timeZone - 14) * kHour;
  fileTime = static_cast<uint64_t>(static_cast<int64_t>(fileTime) - shift);
  return true;
}

bool IsValidProfileName(std::string_view name) {
  return !name.empty() && name.size() < 260 && name.find('\\') == std::string_view::npos;
}

// The server profile record. It is stored byte for byte as the registry
// value "Cust", so its layout is a storage format: every offset is fixed
// and checked at compile time below.
#ifndef VORTO_PROFILES_PROFILE_H
#define VORTO_PROFILES_PROFILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#pragma pack(push, 1)
struct ServerProfile {
  char reserved0[260];
  char host[260];
  char user[80];
  char password[260];        // plain in memory; protected form when stored
  char localFolder[260];
  char remoteFolder[260];
  char keepAliveCommand[32];
  int32_t timeZone;          // 0 local, 1 UTC, 2..26 GMT offset (value - 14) hours
  int32_t transferMode;      // 0 automatic, 1 ASCII, 2 binary
  int32_t connections;       // 1..30
  int32_t reserved1;
  int32_t timingA, timingB, timingC;
  int32_t protectedPasswordLength;  // stored record only; 0 in memory
  int32_t ftpPort;
  int32_t sftpPort;
  int32_t serverCodePage;    // 0 = no name conversion
  uint16_t filePermission;
  uint16_t folderPermission;
  uint8_t reserved2[44];
  uint8_t rememberLastFolders;
  uint8_t syncBrowsing;
  uint8_t passive;
  uint8_t anonymous;
  uint8_t keepAlive;
  uint8_t sftp;
  uint8_t sftpCompression;
  uint8_t usePrivateKey;
  uint8_t sftpTextMode;
  uint8_t overwriteWithoutAsking;
  uint8_t setFilePermission;  // 0 never, 1 always, 2 by PermissionTypeArray
  uint8_t setFolderPermission;
  uint8_t keepDownloadTimes;
  uint8_t namesIgnoreCase;
  uint8_t fullPathCommands;
  uint8_t reserved3[3];
  char privateKeyFile[260];
  uint8_t reserved4[2];
};
#pragma pack(pop)

constexpr size_t kProfileSize = 1784;
constexpr size_t kEarlyProfileSize = 1524;  // the shorter form written by earlier versions

static_assert(sizeof(ServerProfile) == kProfileSize);
static_assert(offsetof(ServerProfile, host) == 260);
static_assert(offsetof(ServerProfile, user) == 520);
static_assert(offsetof(ServerProfile, password) == 600);
static_assert(offsetof(ServerProfile, localFolder) == 860);
static_assert(offsetof(ServerProfile, remoteFolder) == 1120);
static_assert(offsetof(ServerProfile, keepAliveCommand) == 1380);
static_assert(offsetof(ServerProfile, timeZone) == 1412);
static_assert(offsetof(ServerProfile, transferMode) == 1416);
static_assert(offsetof(ServerProfile, connections) == 1420);
static_assert(offsetof(ServerProfile, reserved1) == 1424);
static_assert(offsetof(ServerProfile, timingA) == 1428);
static_assert(offsetof(ServerProfile, timingB) == 1432);
static_assert(offsetof(ServerProfile, timingC) == 1436);
static_assert(offsetof(ServerProfile, protectedPasswordLength) == 1440);
static_assert(offsetof(ServerProfile, ftpPort) == 1444);
static_assert(offsetof(ServerProfile, sftpPort) == 1448);
static_assert(offsetof(ServerProfile, serverCodePage) == 1452);
static_assert(offsetof(ServerProfile, filePermission) == 1456);
static_assert(offsetof(ServerProfile, folderPermission) == 1458);
static_assert(offsetof(ServerProfile, reserved2) == 1460);
static_assert(offsetof(ServerProfile, rememberLastFolders) == 1504);
static_assert(offsetof(ServerProfile, syncBrowsing) == 1505);
static_assert(offsetof(ServerProfile, passive) == 1506);
static_assert(offsetof(ServerProfile, anonymous) == 1507);
static_assert(offsetof(ServerProfile, keepAlive) == 1508);
static_assert(offsetof(ServerProfile, sftp) == 1509);
static_assert(offsetof(ServerProfile, sftpCompression) == 1510);
static_assert(offsetof(ServerProfile, usePrivateKey) == 1511);
static_assert(offsetof(ServerProfile, sftpTextMode) == 1512);
static_assert(offsetof(ServerProfile, overwriteWithoutAsking) == 1513);
static_assert(offsetof(ServerProfile, setFilePermission) == 1514);
static_assert(offsetof(ServerProfile, setFolderPermission) == 1515);
static_assert(offsetof(ServerProfile, keepDownloadTimes) == 1516);
static_assert(offsetof(ServerProfile, namesIgnoreCase) == 1517);
static_assert(offsetof(ServerProfile, fullPathCommands) == 1518);
static_assert(offsetof(ServerProfile, reserved3) == 1519);
static_assert(offsetof(ServerProfile, privateKeyFile) == 1522);
static_assert(offsetof(ServerProfile, reserved4) == 1782);

enum TransferMode { kModeAuto = 0, kModeAscii = 1, kModeBinary = 2 };

// The four name lists kept beside "Cust".
struct ProfileLists {
  std::vector<std::string> asciiTypes;       // AsciiTypeArray
  std::vector<std::string> notTransferred;   // NotTransArray
  std::vector<std::string> notDeleted;       // NotDeleteArray
  std::vector<std::string> permissionTypes;  // PermissionTypeArray
};

constexpr const char* kQuickConnectProfile = "Quick Connect";
constexpr int kMaxConnections = 30;

void SetDefaultProfile(ServerProfile& p);
std::vector<std::string> DefaultAsciiTypes();
std::vector<std::string> DefaultNotTransferred();
std::vector<std::string> DefaultNotDeleted();
std::vector<std::string> DefaultPermissionTypes();
void SetDefaultLists(ProfileLists& lists);

// Makes a record read from storage safe to use: every text field is
// terminated within its width and numbers outside their ranges are brought
// back into them (connections 1..30, ports 0..65535).
void SanitizeProfile(ServerProfile& p);

// Strips a leading "ftp://" (any case) and cuts at the first '/' or '\'.
void NormalizeHost(char (&host)[260]);

// REG_MULTI_SZ lists: strings up to the first empty one, each measured
// against the bytes left in the value.
std::vector<std::string> DecodeMultiString(const uint8_t* data, size_t size);
std::vector<uint8_t> EncodeMultiString(const std::vector<std::string>& entries);

// The extension of `name` (text after the last '.') compared without case
// against `extensions`; a name without a dot matches nothing.
bool ExtensionInList(std::string_view name, const std::vector<std::string>& extensions);

// Whether a file travels as ASCII under transfer mode `mode`.
bool IsAsciiTransfer(std::string_view name, int mode, const std::vector<std::string>& asciiTypes);

// Server times in 100 ns units since 1601. Time zone 0 (local time of this
// machine) needs the platform and is converted by the Windows layer; zones
// 1..26 are fixed offsets handled here. Returns false for zone 0 or an
// unknown zone, leaving the time unchanged.
bool ServerTimeToUtcFixed(int32_t timeZone, uint64_t& fileTime);

// A profile name becomes a registry key name: it must be non-empty, fit
// the 260-byte name buffer, and must not contain '\' (which would make
// nested keys).
bool IsValidProfileName(std::string_view name);

#endif

#include "ssh/randomseed_win.h"

#include <windows.h>
// After windows.h: RtlGenRandom, the system's generator in advapi32.
#include <ntsecapi.h>

#include "base/libreg_win.h"

namespace vorto::ssh {

namespace {

constexpr char kSeedSetting[] = "RandSeedFile";
constexpr DWORD kSeedSettingCapacity = 530;
constexpr char kSeedFileName[] = "\\PUTTY.RND";
constexpr DWORD kSeedReadBlock = 1024;

RandomPool gPool;
bool gPoolStarted = false;
size_t gSystemRandomBytes = 0;

// An environment variable; false when it is not set or does not fit.
bool ReadEnvironment(const char* name, std::string& value) {
    char buffer[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return false;
    value.assign(buffer, length);
    return true;
}

// The counts the caller passes, the tick count and the performance counter.
void AddCounterNoise(RandomPool& pool, long count) {
    struct {
        long count;
        DWORD ticks;
        LARGE_INTEGER counter;
    } noise = {};
    noise.count = count;
    noise.ticks = GetTickCount();
    QueryPerformanceCounter(&noise.counter);
    RandomAddNoise(pool, &noise, sizeof noise);
}

void LightNoise(void*, RandomPool& pool) {
    SYSTEMTIME time;
    GetSystemTime(&time);
    RandomAddNoise(pool, &time, sizeof time);
    struct {
        DWORD adjustment, increment;
        BOOL disabled;
    } adjust = {};
    GetSystemTimeAdjustment(&adjust.adjustment, &adjust.increment, &adjust.disabled);
    RandomAddNoise(pool, &adjust, sizeof adjust);
    AddCounterNoise(pool, 0);
}

// Every directory entry of the Windows directory, then the seed file.
void HeavyNoise(void* ctx, RandomPool& pool) {
    char pattern[MAX_PATH + 2];
    UINT length = GetWindowsDirectoryA(pattern, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        lstrcpynA(pattern + length, "\\*", 3);
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA(pattern, &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                RandomAddHeavyNoise(pool, &entry, sizeof entry);
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
    }
    const std::string* seed_path = static_cast<const std::string*>(ctx);
    if (seed_path && !seed_path->empty()) AddSeedFileNoise(pool, *seed_path);
    // On a fresh machine the directory and a missing seed file are close to
    // guessable; the system's generator is not.
    AddSystemRandomNoise(pool);
}

}  // namespace

bool FindRandomSeedPath(std::string& path) {
    char setting[kSeedSettingCapacity];
    HKEY app = OpenAppKey(nullptr, kKeyStartupRead);
    RegReadString(app, kSeedSetting, setting, sizeof setting, "");
    if (app) RegCloseKey(app);
    if (setting[0]) {
        path = setting;
        return true;
    }
    std::string drive, home;
    if (ReadEnvironment("HOMEPATH", home)) {
        ReadEnvironment("HOMEDRIVE", drive);
        path = drive + home;
    } else {
        char windows[MAX_PATH];
        UINT length = GetWindowsDirectoryA(windows, sizeof windows);
        if (length == 0 || length >= sizeof windows) return false;
        path.assign(windows, length);
    }
    path += kSeedFileName;
    // A path the file functions cannot take is no location, not a cut one.
    return path.size() < MAX_PATH;
}

const std::string& RandomSeedPath() {
    static const std::string path = [] {
        std::string found;
        return FindRandomSeedPath(found) ? found : std::string();
    }();
    return path;
}

EntropySource WindowsEntropySource(const std::string* seed_path) {
    EntropySource source;
    source.ctx = const_cast<std::string*>(seed_path);
    source.heavy_noise = HeavyNoise;
    source.light_noise = LightNoise;
    return source;
}

void AddSeedFileNoise(RandomPool& pool, const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    // A seed file of any size: only its start is read.
    uint8_t block[kSeedReadBlock];
    size_t total = 0;
    DWORD got = 0;
    while (total < kMaxSeedFileRead && ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) {
        if (got > sizeof block) break;
        if (got > kMaxSeedFileRead - total) got = static_cast<DWORD>(kMaxSeedFileRead - total);
        RandomAddHeavyNoise(pool, block, got);
        total += got;
    }
    SecureZeroMemory(block, sizeof block);
    CloseHandle(file);
}

bool AddSystemRandomNoise(RandomPool& pool) {
    uint8_t bytes[kSystemRandomNoise];
    if (!RtlGenRandom(bytes, sizeof bytes)) return false;
    RandomAddHeavyNoise(pool, bytes, sizeof bytes);
    SecureZeroMemory(bytes, sizeof bytes);
    gSystemRandomBytes += sizeof bytes;
    return true;
}

size_t SystemRandomBytesMixed() {
    return gSystemRandomBytes;
}

bool WriteRandomSeed(RandomPool& pool, const std::string& path) {
    uint8_t seed[kRandomSeedSize];
    RandomTakeSeed(pool, seed);
    bool written = false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD put = 0;
        written = WriteFile(file, seed, sizeof seed, &put, nullptr) && put == sizeof seed;
        written = CloseHandle(file) && written;
    }
    SecureZeroMemory(seed, sizeof seed);
    return written;
}

void RandomStart() {
    const std::string& path = RandomSeedPath();
    RandomPoolStart(gPool, WindowsEntropySource(&path));
    gPoolStarted = true;
    if (!path.empty()) WriteRandomSeed(gPool, path);
}

bool RandomStarted() {
    return gPoolStarted;
}

uint8_t RandomNextByte() {
    // Bytes from a pool that never gathered noise would be predictable.
    if (!gPoolStarted) RandomStart();
    return RandomByte(gPool);
}

void RandomNoteTraffic(long count) {
    if (gPoolStarted) AddCounterNoise(gPool, count);
}

void RandomSaveSeed() {
    if (!gPoolStarted) return;
    const std::string& path = RandomSeedPath();
    if (!path.empty()) WriteRandomSeed(gPool, path);
}

crypto::RandomSource ProcessRandomSource() {
    return {nullptr, [](void*) { return RandomNextByte(); }};
}

}  // namespace vorto::ssh

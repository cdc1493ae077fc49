// The random pool on Windows: where the seed file lives, the noise the
// system offers, and the one pool the SSH layer shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ssh/crypto/random_source.h"
#include "ssh/randompool.h"

namespace vorto::ssh {

// The seed file is read no further than this; it is written 600 bytes long.
constexpr size_t kMaxSeedFileRead = 64 * 1024;
// Bytes taken from the system's random generator when a pool starts.
constexpr size_t kSystemRandomNoise = 64;

// Works out the seed file's path: the "RandSeedFile" setting, else
// HOMEDRIVE and HOMEPATH, else the Windows directory, each of the last two
// followed by "\PUTTY.RND". False when no path fits.
bool FindRandomSeedPath(std::string& path);
// The same, worked out once per process (empty when none fits).
const std::string& RandomSeedPath();

// Noise the system offers: at start the Windows directory's entries, the
// seed file and bytes of the system's random generator; at every stir the
// time and counters. `ctx` of the source is the seed file's path (a const
// std::string*, may be null).
EntropySource WindowsEntropySource(const std::string* seed_path);
// The seed file's contents as heavy noise, in blocks of 1024 bytes.
// A missing or unreadable file adds nothing.
void AddSeedFileNoise(RandomPool& pool, const std::string& path);
// kSystemRandomNoise bytes of the system's random generator as heavy
// noise; false (and nothing added) when the generator fails.
bool AddSystemRandomNoise(RandomPool& pool);
// How many bytes of it have gone into any pool in this process.
size_t SystemRandomBytesMixed();
// Replaces the seed file with fresh bytes from the pool.
bool WriteRandomSeed(RandomPool& pool, const std::string& path);

// The SSH layer's pool. Starting gathers the heavy noise and writes a new
// seed file at once; it is done per connection.
void RandomStart();
bool RandomStarted();
uint8_t RandomNextByte();
// Network sends and receives feed their byte counts.
void RandomNoteTraffic(long count);
// Writes the seed file when a pool was started in this run.
void RandomSaveSeed();
crypto::RandomSource ProcessRandomSource();

}  // namespace vorto::ssh

// Texts of the progress window and the error page, built into bounded
// buffers: the report lines, the worker row prefix and the speed column.
#ifndef VORTO_ENGINE_PROGRESSTEXT_H
#define VORTO_ENGINE_PROGRESSTEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kReportLineSize = 1024;

// "[op] error code: N, text " without a worker (index -1), else
// "Thread #n: [op] error code: N, text " with n = index + 1. When a server
// response is given it follows after " : ". The result always fits a
// 1024-byte line with its terminator: a long response is cut.
std::string FormatInternetErrorLine(const char* operation, int code, const char* systemText, int workerIndex,
                                    const char* serverResponse);

// "op : text" for SFTP failures.
std::string FormatSftpErrorLine(const char* operation, const char* text);

// "#n: " with n = index + 1.
std::string WorkerRowPrefix(int workerIndex);

// The speed column uses the byte format up to 1024 bytes per second and the
// kilobyte format (value / 1024) above; returns the value to format and
// whether the kilobyte format applies.
uint32_t SpeedValue(uint32_t bytesPerSecond, bool& kilobytes);

#endif

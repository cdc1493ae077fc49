#include "engine/progresstext.h"

#include <cstdio>

std::string FormatInternetErrorLine(const char* operation, int code, const char* systemText, int workerIndex,
                                    const char* serverResponse) {
  char line[kReportLineSize];
  const char* op = operation ? operation : "";
  const char* text = systemText ? systemText : "";
  int n = workerIndex < 0
              ? snprintf(line, sizeof line, "[%s] error code: %d, %s ", op, code, text)
              : snprintf(line, sizeof line, "Thread #%d: [%s] error code: %d, %s ", workerIndex + 1, op, code, text);
  if (n < 0) return {};
  size_t used = static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1;
  if (serverResponse && used < sizeof line - 1)
    snprintf(line + used, sizeof line - used, " : %s", serverResponse);
  return line;
}

std::string FormatSftpErrorLine(const char* operation, const char* text) {
  return std::string(operation ? operation : "") + " : " + (text ? text : "");
}

std::string WorkerRowPrefix(int workerIndex) { return "#" + std::to_string(workerIndex + 1) + ": "; }

uint32_t SpeedValue(uint32_t bytesPerSecond, bool& kilobytes) {
  kilobytes = bytesPerSecond > 1024;
  return kilobytes ? bytesPerSecond / 1024 : bytesPerSecond;
}


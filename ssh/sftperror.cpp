#include "ssh/sftperror.h"

#include <atomic>

static std::atomic<const char*> gLastError{nullptr};

void SftpSetLastError(const char* text) { gLastError.store(text); }
const char* SftpGetLastError() { return gLastError.load(); }
void SftpClearLastError() { gLastError.store(nullptr); }

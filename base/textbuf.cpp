#include "base/textbuf.h"

#include <cstring>

bool CopyText(char* dst, size_t capacity, std::string_view src) {
  if (capacity == 0) return src.empty();
  size_t n = src.size() < capacity - 1 ? src.size() : capacity - 1;
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
  return n == src.size();
}

bool CopyTextWhole(char* dst, size_t capacity, std::string_view src) {
  if (capacity == 0 || src.size() >= capacity) {
    if (capacity) dst[0] = '\0';
    return false;
  }
  std::memcpy(dst, src.data(), src.size());
  dst[src.size()] = '\0';
  return true;
}

size_t FieldLength(const char* field, size_t width) {
  const void* end = std::memchr(field, 0, width);
  return end ? static_cast<size_t>(static_cast<const char*>(end) - field) : width;
}

void TerminateField(char* field, size_t width) {
  if (width && FieldLength(field, width) == width) field[width - 1] = '\0';
}

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// Bounded text helpers for the fixed-size buffers the program keeps
// (260-byte paths, 80-byte fields). Every copy into such a buffer goes
// through here so that nothing is ever written past its end.
#ifndef VORTO_BASE_TEXTBUF_H
#define VORTO_BASE_TEXTBUF_H

#include <cstddef>
#include <string_view>

// Copies `src` into `dst` of `capacity` bytes, always terminated (when
// capacity > 0). Returns false when the text had to be cut.
bool CopyText(char* dst, size_t capacity, std::string_view src);

// Like CopyText but refuses to cut: on overflow `dst` is left empty and
// false is returned, so a long name never turns into a different name.
bool CopyTextWhole(char* dst, size_t capacity, std::string_view src);

// Length of a possibly unterminated field of `width` bytes.
size_t FieldLength(const char* field, size_t width);

// Forces a zero into the field if none is present within `width` bytes.
void TerminateField(char* field, size_t width);

template <size_t N> bool CopyText(char (&dst)[N], std::string_view src) { return CopyText(dst, N, src); }
template <size_t N> bool CopyTextWhole(char (&dst)[N], std::string_view src) { return CopyTextWhole(dst, N, src); }
template <size_t N> size_t FieldLength(const char (&field)[N]) { return FieldLength(field, N); }
template <size_t N> void TerminateField(char (&field)[N]) { TerminateField(field, N); }

// ASCII case-insensitive comparison (registry and extension matching).
bool EqualsNoCase(std::string_view a, std::string_view b);

#endif

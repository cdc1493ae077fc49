// The line grammar of our SSH-2 key files: header lines "Name: value" and
// runs of base64 lines. Values are views into the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vorto::ssh {

struct KeyTextReader {
    const char* at = nullptr;
    size_t left = 0;
};

KeyTextReader KeyTextReaderOf(std::span<const uint8_t> file);

// The longest header name.
constexpr size_t kMaxHeaderName = 39;

// A header name (at most 39 characters) followed by ": ", the value up to
// the end of the line, and the line ending (LF, CR LF or LF CR). The last
// line may also end at the end of the file.
bool ReadHeader(KeyTextReader& r, std::string_view& name, std::string_view& value);

// A header that must be `name`.
bool ReadNamedHeader(KeyTextReader& r, std::string_view name, std::string_view& value);

// `count_text` is the decimal number of base64 lines that follow; each line
// is a multiple of 4 characters and at most 64. Decodes them onto `blob`,
// reserving once, so that a secret blob is never copied by growth.
bool ReadBase64Lines(KeyTextReader& r, std::string_view count_text, std::vector<uint8_t>& blob);

}  // namespace vorto::ssh

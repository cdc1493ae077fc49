// Whole-string wildcard matching, used to recognise server software
// versions. "*" matches any run of characters, "?" one character, "[...]"
// one character of the set (ranges "a-b", a leading "^" negates), and "\"
// takes the next character literally, inside a set too.
#pragma once

#include <string_view>

namespace vorto::ssh {

// True when `text` matches `pattern` as a whole. A malformed pattern (a "["
// without its "]", a "\" at the end) matches nothing. The work is bounded
// by the product of the two lengths, whatever the input.
bool WildcardMatch(std::string_view pattern, std::string_view text);

}  // namespace vorto::ssh

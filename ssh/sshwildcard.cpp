#include "ssh/sshwildcard.h"

#include <cstddef>

namespace vorto::ssh {

namespace {

constexpr size_t kMalformed = std::string_view::npos;

// The position after the "]" closing the set that opens at `open`, or
// kMalformed when the set or an escape in it runs off the end.
size_t SetEnd(std::string_view pattern, size_t open) {
    for (size_t i = open + 1; i < pattern.size(); ++i) {
        if (pattern[i] == '\\') {
            if (++i == pattern.size()) return kMalformed;
        } else if (pattern[i] == ']') {
            return i + 1;
        }
    }
    return kMalformed;
}

// The position after the single-character element that starts at `at`.
size_t ElementEnd(std::string_view pattern, size_t at) {
    switch (pattern[at]) {
        case '[': return SetEnd(pattern, at);
        case '\\': return at + 1 < pattern.size() ? at + 2 : kMalformed;
        default: return at + 1;
    }
}

// Whether `c` is in the set pattern[open, end), brackets included.
bool InSet(std::string_view pattern, size_t open, size_t end, unsigned char c) {
    size_t i = open + 1;
    size_t last = end - 1;  // the closing "]"
    bool negated = i < last && pattern[i] == '^';
    if (negated) ++i;
    bool found = false;
    while (i < last) {
        if (pattern[i] == '\\') ++i;
        unsigned char low = static_cast<unsigned char>(pattern[i++]);
        unsigned char high = low;
        // A "-" between two members makes a range; first or last it is literal.
        if (i + 1 < last && pattern[i] == '-') {
            ++i;
            if (pattern[i] == '\\') ++i;
            high = static_cast<unsigned char>(pattern[i++]);
        }
        if (low <= c && c <= high) found = true;
    }
    return found != negated;
}

// Whether the element pattern[at, end) matches the character `c`.
bool ElementMatches(std::string_view pattern, size_t at, size_t end, unsigned char c) {
    switch (pattern[at]) {
        case '?': return true;
        case '[': return InSet(pattern, at, end, c);
        case '\\': return static_cast<unsigned char>(pattern[at + 1]) == c;
        default: return static_cast<unsigned char>(pattern[at]) == c;
    }
}

bool WellFormed(std::string_view pattern) {
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '*') {
            ++i;
            continue;
        }
        i = ElementEnd(pattern, i);
        if (i == kMalformed) return false;
    }
    return true;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text) {
    if (!WellFormed(pattern)) return false;
    // Every element but "*" takes exactly one character, so on a mismatch
    // it is enough to let the latest "*" take one more character and retry
    // from there: no deeper backtracking is ever needed.
    size_t p = 0, t = 0;
    size_t star_p = kMalformed, star_t = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star_p = ++p;
            star_t = t;
            continue;
        }
        if (p < pattern.size()) {
            size_t end = ElementEnd(pattern, p);
            if (ElementMatches(pattern, p, end, static_cast<unsigned char>(text[t]))) {
                p = end;
                ++t;
                continue;
            }
        }
        if (star_p == kMalformed) return false;
        p = star_p;
        t = ++star_t;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace vorto::ssh

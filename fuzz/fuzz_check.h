#pragma once
// What every fuzz target does when an invariant breaks: say which, then abort so that
// libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace corelens::fuzz {

inline void check(bool holds, const char* invariant, const std::string& detail = {}) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n  %s\n", invariant, detail.c_str());
    std::abort();
}

inline bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

inline bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A field of the record is a C string only when a NUL ends it within the field.
template <std::size_t N>
bool is_terminated(const char (&field)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (field[i] == '\0') return true;
    }
    return false;
}

}  // namespace corelens::fuzz

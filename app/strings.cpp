#include "app/strings.h"

namespace corelens {

std::string cut_argument(const char* source, bool strip_quotes) {
    std::string argument;
    if (source == nullptr) return argument;
    bool inside_quotes = false;
    for (const char* at = source; *at != '\0'; ++at) {
        char c = *at;
        if (c == '"') {
            inside_quotes = !inside_quotes;
            if (strip_quotes) {
                // The character after a stripped quote is copied as it is: a second quote
                // in a row is kept, and does not switch the state back.
                if (*++at == '\0') break;
                c = *at;
            }
        }
        if (c == ' ' && !inside_quotes) break;
        argument += c;
    }
    return argument;
}

std::size_t bounded_length(const char* text) {
    if (text == nullptr) return 0;
    for (std::size_t i = 0; i < k_bounded_limit; ++i) {
        if (text[i] == '\0') return i;
    }
    return k_bounded_limit - 1;
}

}  // namespace corelens

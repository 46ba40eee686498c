#include "app/strings.h"

namespace corelens {

bool cut_argument(const char* source, char* destination, std::size_t capacity, bool strip_quotes) {
    if (source == nullptr || destination == nullptr || capacity == 0) return false;

    std::size_t length = 0;
    bool inside_quotes = false;
    const char* at = source;
    while (*at != '\0') {
        char c = *at;
        if (c == '"') {
            inside_quotes = !inside_quotes;
            if (strip_quotes) {
                // The character after a stripped quote is copied as it is: a second quote
                // in a row is kept, and does not switch the state back.
                ++at;
                if (*at == '\0') break;
                c = *at;
            }
        }
        if (c == ' ' && !inside_quotes) break;
        if (length + 1 >= capacity) {
            destination[0] = '\0';
            return false;
        }
        destination[length++] = c;
        ++at;
    }
    destination[length] = '\0';
    return true;
}

std::size_t bounded_length(const char* text) {
    if (text == nullptr) return 0;
    for (std::size_t i = 0; i < k_bounded_limit; ++i) {
        if (text[i] == '\0') return i;
    }
    return k_bounded_limit - 1;
}

}  // namespace corelens

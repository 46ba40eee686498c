#include <cstdint>

#include "platform/platform.h"

namespace corelens::platform {

namespace {

// Bytes 0x80-0x9F of Windows-1252. The five unused bytes map to the control characters
// of the same number, as Windows' own conversion does.
constexpr char32_t k_high_controls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t code_point_of(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return k_high_controls[byte - 0x80];
    return byte;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // every Windows-1252 character lies in the basic plane
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char windows1252_byte_of(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (unsigned i = 0; i < 32; ++i) {
        if (k_high_controls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Decodes one well-formed sequence at text[at]; returns its length, or 0 when the bytes
// there are not one (overlong forms, surrogates and values past U+10FFFF included).
std::size_t decode_utf8(const std::string& text, std::size_t at, char32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length;
    char32_t minimum;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, c = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string utf8_from_windows1252(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char byte : text) append_utf8(out, code_point_of(static_cast<unsigned char>(byte)));
    return out;
}

std::string windows1252_from_utf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const std::size_t length = decode_utf8(text, at, c);
        if (length == 0) {
            out += '?';
            ++at;
        } else {
            out += windows1252_byte_of(c);
            at += length;
        }
    }
    return out;
}

std::string utf8_from_file_name(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        char32_t c = 0;
        const std::size_t length = decode_utf8(name, at, c);
        out += length == 0 ? std::string("?") : name.substr(at, length);
        at += length == 0 ? 1 : length;
    }
    return out;
}

std::string terminal_text(const std::string& windows1252) {
    // "\n" line ends, so that the text pipes into line-based tools.
    std::string text;
    text.reserve(windows1252.size());
    for (std::size_t i = 0; i < windows1252.size(); ++i) {
        if (!(windows1252[i] == '\r' && i + 1 < windows1252.size() && windows1252[i + 1] == '\n')) text += windows1252[i];
    }
    return utf8_from_windows1252(text);
}

}  // namespace corelens::platform

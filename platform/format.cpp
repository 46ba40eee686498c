#include "platform/format.h"

#include <cstring>

namespace corelens::platform {

namespace {

// Divisions by at most 2^16, 16 bits at a time: a 32-bit build then calls no 64-bit division
// helper of the compiler's library.
std::uint32_t divide_halves(std::uint32_t& word, std::uint32_t remainder, std::uint32_t divisor) {
    const std::uint32_t high = (remainder << 16 | word >> 16) / divisor;
    remainder = (remainder << 16 | word >> 16) % divisor;
    const std::uint32_t low = (remainder << 16 | (word & 0xFFFFu)) / divisor;
    remainder = (remainder << 16 | (word & 0xFFFFu)) % divisor;
    word = high << 16 | low;
    return remainder;
}

std::string padded(bool negative, const char* digits, std::size_t count, unsigned width) {
    std::string text(negative ? "-" : "");
    const std::size_t used = count + text.size();
    if (width > used) text.append(width - used, '0');
    text.append(digits, count);
    return text;
}

std::string in_base(std::uint64_t magnitude, bool negative, unsigned base, unsigned width) {
    static const char k_digits[] = "0123456789ABCDEF";
    char buffer[20];  // the 20 decimal digits of the largest value
    std::size_t at = sizeof buffer;
    std::uint32_t high = static_cast<std::uint32_t>(magnitude >> 32), low = static_cast<std::uint32_t>(magnitude);
    do {
        buffer[--at] = k_digits[divide_halves(low, divide_halves(high, 0, base), base)];
    } while ((high | low) != 0);
    return padded(negative, buffer + at, sizeof buffer - at, width);
}

// An unsigned integer of 32-bit limbs, least significant first, wide enough for any
// double times 10 to the k_max_decimals: 1024 + 53 + 67 bits.
class BigNumber {
public:
    explicit BigNumber(std::uint64_t value) {
        limbs_[0] = static_cast<std::uint32_t>(value);
        limbs_[1] = static_cast<std::uint32_t>(value >> 32);
    }

    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            carry += std::uint64_t{limb} * factor;
            limb = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
    }

    void shift_left(unsigned bits) {
        const unsigned words = bits / 32, rest = bits % 32;
        for (unsigned i = k_limbs; i-- > 0;) {
            std::uint32_t limb = i >= words ? limbs_[i - words] << rest : 0;
            if (rest != 0 && i > words) limb |= limbs_[i - words - 1] >> (32 - rest);
            limbs_[i] = limb;
        }
    }

    // Drops the low bits, rounding to the nearest and a tie to even.
    void shift_right_rounded(unsigned bits) {
        if (bits == 0) return;
        const bool half = bit(bits - 1);
        const bool above_half = half && any_below(bits - 1);
        const unsigned words = bits / 32, rest = bits % 32;
        for (unsigned i = 0; i < k_limbs; ++i) {
            std::uint32_t limb = i + words < k_limbs ? limbs_[i + words] >> rest : 0;
            if (rest != 0 && i + words + 1 < k_limbs) limb |= limbs_[i + words + 1] << (32 - rest);
            limbs_[i] = limb;
        }
        if (above_half || (half && (limbs_[0] & 1u) != 0)) add_one();
    }

    // Divides in place by at most 2^16; returns the remainder.
    std::uint32_t divide(std::uint32_t divisor) {
        std::uint32_t remainder = 0;
        for (unsigned i = k_limbs; i-- > 0;) remainder = divide_halves(limbs_[i], remainder, divisor);
        return remainder;
    }

    bool is_zero() const {
        for (const std::uint32_t limb : limbs_) {
            if (limb != 0) return false;
        }
        return true;
    }

private:
    static constexpr unsigned k_limbs = 36;

    bool bit(unsigned position) const {
        return position / 32 < k_limbs && ((limbs_[position / 32] >> position % 32) & 1u) != 0;
    }
    bool any_below(unsigned position) const {
        if (position / 32 >= k_limbs) return !is_zero();
        for (unsigned i = 0; i < position / 32; ++i) {
            if (limbs_[i] != 0) return true;
        }
        return (limbs_[position / 32] & ((std::uint32_t{1} << position % 32) - 1)) != 0;
    }
    void add_one() {
        for (std::uint32_t& limb : limbs_) {
            if (++limb != 0) return;
        }
    }

    std::uint32_t limbs_[k_limbs] = {};
};

}  // namespace

std::string decimal(std::int64_t value, unsigned width) {
    const bool negative = value < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return in_base(magnitude, negative, 10, width);
}

std::string unsigned_decimal(std::uint64_t value, unsigned width) { return in_base(value, false, 10, width); }

std::string upper_hex(std::uint64_t value, unsigned width) { return in_base(value, false, 16, width); }

std::string fixed(double value, unsigned decimals) {
    if (decimals > k_max_decimals) decimals = k_max_decimals;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const unsigned exponent_field = static_cast<unsigned>(bits >> 52) & 0x7FFu;
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    std::string text(negative ? "-" : "");
    if (exponent_field == 0x7FF) return text + (mantissa != 0 ? "nan" : "inf");

    // value = mantissa * 2^exponent exactly; scaled by 10^decimals, then rounded once.
    int exponent = -1074;
    if (exponent_field != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = static_cast<int>(exponent_field) - 1075;
    }
    BigNumber number(mantissa);
    for (unsigned i = 0; i < decimals; ++i) number.multiply(10);
    if (exponent >= 0) {
        number.shift_left(static_cast<unsigned>(exponent));
    } else {
        number.shift_right_rounded(static_cast<unsigned>(-exponent));
    }

    std::string reversed;  // the digits, least significant first
    do {
        std::uint32_t group = number.divide(10000);
        const bool last = number.is_zero();
        for (int i = 0; i < 4 && (!last || group != 0); ++i) {
            reversed += static_cast<char>('0' + group % 10);
            group /= 10;
        }
    } while (!number.is_zero());
    if (reversed.size() <= decimals) reversed.append(decimals + 1 - reversed.size(), '0');
    for (std::size_t i = reversed.size(); i-- > 0;) {
        text += reversed[i];
        if (i == decimals && decimals != 0) text += '.';
    }
    return text;
}

void copy_text(char* buffer, std::size_t size, const char* text) {
    if (size == 0) return;
    std::size_t length = 0;
    while (length + 1 < size && text[length] != '\0') ++length;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

}  // namespace corelens::platform

#include "codec/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kyrel {

namespace {
bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// For a number that from_chars found out of range: whether it is too small for a double (its nearest double is
// then zero) rather than too large, by the decimal place of its first nonzero digit and the exponent.
bool TooSmall(std::string_view number) {
    long long integerDigits = 0;
    long long firstNonzero = -1;     // index among the digits before the point
    long long firstNonzeroAfter = 0; // place after the point (1 for tenths), when none came before it
    long long fractionDigits = 0;
    bool afterPoint = false;
    std::size_t i = 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        const char c = number[i];
        if (c == '.') {
            afterPoint = true;
        } else if (c >= '0' && c <= '9') {
            if (afterPoint) {
                ++fractionDigits;
                if (c != '0' && firstNonzero < 0 && firstNonzeroAfter == 0)
                    firstNonzeroAfter = fractionDigits;
            } else {
                if (c != '0' && firstNonzero < 0)
                    firstNonzero = integerDigits;
                ++integerDigits;
            }
        }
    }
    if (firstNonzero < 0 && firstNonzeroAfter == 0)
        return true; // all zeros
    const long long order = firstNonzero >= 0 ? integerDigits - firstNonzero - 1 : -firstNonzeroAfter;

    long long exponent = 0;
    bool negativeExponent = false;
    if (i < number.size()) {
        ++i;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negativeExponent = number[i++] == '-';
        for (; i < number.size(); ++i)
            exponent = std::min(exponent * 10 + (number[i] - '0'), 1000000LL); // far beyond any double's range
    }
    return order + (negativeExponent ? -exponent : exponent) < 0;
}
} // namespace

std::optional<double> ParseNumber(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    if (first == last)
        return std::nullopt;

    std::string ascii;
    ascii.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) {
        const char16_t c = text[i];
        const bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || c == u'+' || c == u'-' || c == u'e' || c == u'E';
        if (!allowed)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    // from_chars takes no leading plus.
    std::size_t start = 0;
    if (ascii[0] == '+') {
        if (ascii.size() == 1 || ascii[1] == '-' || ascii[1] == '+')
            return std::nullopt;
        start = 1;
    }
    double value = 0;
    const char* begin = ascii.data() + start;
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range && ptr == end && TooSmall({begin, end}))
        return *begin == '-' ? -0.0 : 0.0;
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> RoundToInt32(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // the default rounding mode sends halves to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::u16string FormatNumber(double value) {
    if (value == 0 || !std::isfinite(value))
        return u"0";
    // Rounded to 15 digits, a number within a hair of the largest double becomes 1.79769313486232e308, which is
    // past it and would read back as no number; the largest 15-digit number below it stands in for those.
    constexpr double Largest15Digits = 1.79769313486231e308;
    if (std::fabs(value) > Largest15Digits)
        value = std::copysign(Largest15Digits, value);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;

    const auto e = text.find('e');
    if (e != std::string::npos) {
        // Spell whole numbers out: "%.15g" switches to an exponent for 1e15 and above.
        const int exponent = std::atoi(text.c_str() + e + 1);
        std::string mantissa = text.substr(0, e);
        const bool negative = mantissa[0] == '-';
        if (negative)
            mantissa.erase(0, 1);
        std::string digits;
        for (char c : mantissa)
            if (c != '.')
                digits += c;
        const int wholeDigits = exponent + 1;
        if (exponent >= 0 && static_cast<int>(digits.size()) <= wholeDigits) {
            digits.append(static_cast<std::size_t>(wholeDigits) - digits.size(), '0');
            text = (negative ? "-" : "") + digits;
        }
    }
    std::u16string out;
    for (char c : text)
        out += static_cast<char16_t>(c == 'e' ? 'E' : c);
    return out;
}

} // namespace kyrel

// Fuzz target for the number boxes' text. The input is typed text (UTF-16 code units after a first byte 0xFF;
// otherwise one character per byte), and its first eight bytes are also taken as a double of any bit pattern.
//
// Parsing agrees with a plain reading of the grammar (blanks, a sign, digits with a point, an exponent) and with
// the C library's correctly rounded conversion; a formatted number reads back as the number rounded to the 15
// digits the format shows, formatting that again gives the same text, whole numbers show no exponent; rounding
// to a 32-bit position agrees with rounding to the nearest integer, halves to even, within the 32-bit range.
#include "codec/NumberText.h"
#include "fuzz/FuzzInput.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace kyrel;
using kyrel::fuzz::FuzzInput;

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The number's characters without the blanks around it, when the text follows the grammar.
KYREL_FUZZ_UNTRACED std::optional<std::string> Grammar(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    const std::u16string_view s = text.substr(first, last - first);

    std::size_t i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    return std::string(s.begin(), s.end());
}

// The C library's reading of a number the grammar accepted: nothing when it is too large for a double.
std::optional<double> CLibraryValue(const std::string& number) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    KYREL_FUZZ_CHECK(end == number.c_str() + number.size());
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

KYREL_FUZZ_UNTRACED std::string Ascii(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        KYREL_FUZZ_CHECK(c < 0x80);
        out += static_cast<char>(c);
    }
    return out;
}

KYREL_FUZZ_UNTRACED void CheckFormat(double value) {
    const std::u16string formatted = FormatNumber(value);
    const std::string text = Ascii(formatted);

    // Plain decimal: at most 15 significant digits, no trailing zeros after a point, no exponent on whole numbers.
    const std::size_t e = text.find('E');
    const std::string mantissa = text.substr(0, e);
    if (value == std::trunc(value))
        KYREL_FUZZ_CHECK(e == std::string::npos);
    if (mantissa.find('.') != std::string::npos)
        KYREL_FUZZ_CHECK(mantissa.back() != '0' && mantissa.back() != '.');
    const std::size_t firstSignificant = mantissa.find_first_of("123456789");
    const std::size_t lastSignificant = mantissa.find_last_of("123456789");
    if (firstSignificant != std::string::npos) {
        std::size_t significant = 0;
        for (std::size_t i = firstSignificant; i <= lastSignificant; ++i)
            significant += mantissa[i] != '.';
        KYREL_FUZZ_CHECK(significant <= 15);
    }

    // It reads back as a number, the number rounded to 15 digits, and shows the same text again.
    const std::optional<double> again = ParseNumber(formatted);
    KYREL_FUZZ_CHECK(again.has_value());
    char rounded[64];
    std::snprintf(rounded, sizeof rounded, "%.15g", value);
    if (const std::optional<double> expected = CLibraryValue(rounded))
        KYREL_FUZZ_CHECK(*again == *expected);
    KYREL_FUZZ_CHECK(FormatNumber(*again) == formatted);
}

KYREL_FUZZ_UNTRACED void CheckRound(double value) {
    const std::optional<std::int32_t> rounded = RoundToInt32(value);
    if (!std::isfinite(value)) {
        KYREL_FUZZ_CHECK(!rounded);
        return;
    }
    const double nearest = std::nearbyint(value);
    const bool inRange = nearest >= -2147483648.0 && nearest <= 2147483647.0;
    KYREL_FUZZ_CHECK(rounded.has_value() == inRange);
    if (rounded)
        KYREL_FUZZ_CHECK(static_cast<double>(*rounded) == nearest);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput bits(data, size);
    const double any = bits.Double();
    CheckRound(any);
    if (std::isfinite(any))
        CheckFormat(any);
    else
        (void)FormatNumber(any);

    const bool codeUnits = size > 0 && data[0] == 0xFF;
    FuzzInput input(data + (codeUnits ? 1 : 0), size - (codeUnits ? 1 : 0));
    std::u16string text;
    while (!input.AtEnd())
        text += codeUnits ? static_cast<char16_t>(input.U16()) : static_cast<char16_t>(input.Byte());

    const std::optional<double> parsed = ParseNumber(text);
    const std::optional<std::string> number = Grammar(text);
    const std::optional<double> expected = number ? CLibraryValue(*number) : std::nullopt;
    KYREL_FUZZ_CHECK(parsed.has_value() == expected.has_value());
    if (!parsed)
        return 0;
    KYREL_FUZZ_CHECK(std::isfinite(*parsed));
    KYREL_FUZZ_CHECK(*parsed == *expected);
    KYREL_FUZZ_CHECK(std::signbit(*parsed) == std::signbit(*expected));
    CheckFormat(*parsed);
    CheckRound(*parsed);
    return 0;
}

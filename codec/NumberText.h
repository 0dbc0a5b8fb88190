#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kyrel {

// The number boxes hold their values only as text. These turn such text into numbers and back.

// A decimal floating-point number with optional blanks around it, a sign, a decimal point and an exponent;
// nothing else (no hexadecimal, no thousands separators, no inf or nan). Nothing when the text is no number.
[[nodiscard]] std::optional<double> ParseNumber(std::u16string_view text);

// The number rounded to the nearest 32-bit integer, halves to the even neighbour; nothing when it lies
// outside the 32-bit range.
[[nodiscard]] std::optional<std::int32_t> RoundToInt32(double value);

// Plain decimal with at most 15 significant digits and no trailing zeros: 201, 2.5, 1.3, -7. Whole numbers
// never use an exponent.
[[nodiscard]] std::u16string FormatNumber(double value);

} // namespace kyrel

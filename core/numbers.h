// Text-to-number readings used for launch parameters and settings files.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexal {

// Whole text as an integer: optional blanks around it, an optional sign and at least one
// digit, nothing else. Empty text, stray characters and values outside [min, max] give nothing.
std::optional<int64_t> parseStrictInteger(std::string_view text, int64_t min, int64_t max);

// Whole text as a decimal number: optional blanks around it, an optional sign, digits with at
// most one decimal point and at least one digit. No exponents, hex, "inf" or "nan".
std::optional<double> parseStrictNumber(std::string_view text);

// The number a text starts with, reading as far as it can: leading blanks, an optional sign,
// digits and an optional fraction. A text that does not start with a number reads as 0.
double leadingNumber(std::string_view text);

// Removes blanks (space characters only) from both ends.
std::string_view trimBlanks(std::string_view text);

}  // namespace vexal

#include "core/numbers.h"

#include <cmath>
#include <limits>

namespace vexal {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimSpaceAndTab(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::optional<int64_t> parseStrictInteger(std::string_view text, int64_t min, int64_t max) {
    text = trimSpaceAndTab(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Accumulated as a negative number so that the most negative value fits.
    int64_t value = 0;
    constexpr int64_t lowest = std::numeric_limits<int64_t>::min();
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        const int digit = c - '0';
        if (value < (lowest + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == lowest) return std::nullopt;
        value = -value;
    }
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<double> parseStrictNumber(std::string_view text) {
    text = trimSpaceAndTab(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0;
    double scale = 1;
    bool digits = false;
    bool point = false;
    for (char c : text) {
        if (c == '.') {
            if (point) return std::nullopt;
            point = true;
        } else if (isDigit(c)) {
            digits = true;
            if (point) {
                scale /= 10;
                value += (c - '0') * scale;
            } else {
                value = value * 10 + (c - '0');
            }
        } else {
            return std::nullopt;
        }
    }
    if (!digits || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

double leadingNumber(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0;
    double scale = 1;
    bool point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (isDigit(c)) {
            if (point) {
                scale /= 10;
                value += (c - '0') * scale;
            } else {
                value = value * 10 + (c - '0');
            }
        } else {
            break;
        }
    }
    if (!std::isfinite(value)) return 0;
    return negative ? -value : value;
}

}  // namespace vexal

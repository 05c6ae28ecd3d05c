#include "base/decimal.h"

#include <climits>

namespace tandrel {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isConversionSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

DecimalReading readDecimal(std::string_view text) {
    DecimalReading reading;
    std::size_t i = 0;
    while (i < text.size() && isConversionSpace(text[i])) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    if (i == text.size() || !isDigit(text[i])) {
        return reading;
    }
    // The magnitude stops growing once it is out of range, so any number of digits is safe.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    bool fits = true;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (fits) {
            magnitude = magnitude * 10 + (text[i] - '0');
            fits = magnitude <= limit;
        }
    }
    reading.hasDigits = true;
    reading.fitsInt = fits;
    reading.value = fits ? static_cast<int>(negative ? -magnitude : magnitude) : 0;
    reading.length = i;
    return reading;
}

}  // namespace tandrel

// Reading a decimal number the way the C library's conversions read one, without their undefined
// cases: white space, an optional sign, then digits up to the first non-digit.
#pragma once

#include <cstddef>
#include <string_view>

namespace tandrel {

struct DecimalReading {
    bool hasDigits = false;  // at least one digit follows the white space and the sign
    bool fitsInt = false;    // ... and the number lies within the range of int
    int value = 0;           // the number when both hold, else 0
    std::size_t length = 0;  // characters taken, through the last digit; 0 without digits
};

DecimalReading readDecimal(std::string_view text);

}  // namespace tandrel

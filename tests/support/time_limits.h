// Waits inside the suites are guards against a hang, never speed checks: each allows many times what
// the step takes on a busy machine. Where 32-bit code runs under an emulator, script/test sets
// TANDREL_TIME_FACTOR (it reaches the programs through ctest), and every wait grows with it.
#pragma once

#include <cstdlib>

namespace tandrel::testing {

// 1 unless TANDREL_TIME_FACTOR names a whole number from 1 to 99.
inline unsigned long timeFactor() {
    const char* text = std::getenv("TANDREL_TIME_FACTOR");
    if (text == nullptr) {
        return 1;
    }
    char* end = nullptr;
    unsigned long factor = std::strtoul(text, &end, 10);
    return end != text && *end == '\0' && factor >= 1 && factor <= 99 ? factor : 1;
}

}  // namespace tandrel::testing

// Where the kernel refuses 32-bit programs, the 32-bit suites run under qemu's user-mode emulator
// (script/bootstrap registers it; script/wine-run tells the program). Its threads do not survive the
// suites' two many-threaded races (it crashes with segmentation faults and illegal instructions at
// random points), so those two skip there; they run natively, under ThreadSanitizer, through the
// 64-bit DLL, and through the 32-bit one wherever the kernel runs 32-bit programs itself.
#pragma once

#include <cstdlib>
#include <cstring>

namespace tandrel::testing {

inline bool thirtyTwoBitCodeIsEmulated() {
    const char* flag = std::getenv("TANDREL_32BIT_EMULATED");
    return sizeof(void*) == 4 && flag != nullptr && std::strcmp(flag, "1") == 0;
}

inline constexpr const char* EMULATED_THREADS_SKIP =
    "32-bit code runs under qemu's user-mode emulator here, whose threads crash under this race";

}  // namespace tandrel::testing

// Fuzzes the server-group list parser. The input, cut at its first NUL, is handed over in a heap block
// of exactly its length plus the NUL, so AddressSanitizer reports any read past the end. The answer
// must agree with a plain reference: split at commas and blanks, read each token as strtoll does, and
// look for one of the two administrators' groups among the positive values that fit an int.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "deployment_config.h"
#include "radio/admin_gate.h"

namespace {

int referenceIsAdmin(const std::string& list) {
    std::size_t position = 0;
    while (position < list.size()) {
        std::size_t start = list.find_first_not_of(", ", position);
        if (start == std::string::npos) {
            break;
        }
        std::size_t end = list.find_first_of(", ", start);
        if (end == std::string::npos) {
            end = list.size();
        }
        std::string token = list.substr(start, end - start);
        errno = 0;
        long long value = std::strtoll(token.c_str(), nullptr, 10);
        bool fits = errno != ERANGE && value <= INT_MAX && value >= -static_cast<long long>(INT_MAX);
        if (fits && value > 0) {
            for (int adminGroup : tandrel::ADMIN_GROUP_IDS) {
                if (value == adminGroup) {
                    return 1;
                }
            }
        }
        position = end;
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::size_t length = strnlen(bytes, size);
    auto list = std::make_unique<char[]>(length + 1);
    std::memcpy(list.get(), bytes, length);
    list[length] = '\0';

    int answer = tandrel::isRadioAdmin(list.get());
    int expected = referenceIsAdmin(std::string(list.get(), length));
    if (answer != expected) {
        std::fprintf(stderr, "isRadioAdmin answered %d, the reference %d, for '%s'\n", answer, expected,
                     list.get());
        std::abort();
    }
    return 0;
}

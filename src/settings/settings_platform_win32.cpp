#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/bounded_copy.h"
#include "settings/settings_platform.h"

namespace tandrel::platform {
namespace {

// A slim reader/writer lock needs no set-up and no clean-up, and unlike a C++ mutex pulls no
// threading runtime into the DLL.
SRWLOCK settingsLock = SRWLOCK_INIT;

}  // namespace

void lockSettings() {
    AcquireSRWLockExclusive(&settingsLock);
}

void unlockSettings() {
    ReleaseSRWLockExclusive(&settingsLock);
}

bool pluginFolder(char* folder, std::size_t capacity) {
    const char* appData = std::getenv("APPDATA");
    int length = appData != nullptr ? std::snprintf(folder, capacity, "%s\\TS3Client\\plugins\\", appData)
                                    : std::snprintf(folder, capacity, "%s", "");
    return length >= 0 && static_cast<std::size_t>(length) < capacity;
}

bool flushFileToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

bool replaceFile(const char* source, const char* target) {
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Through UTF-16, the system's own conversions; the UTF-8 goes to a buffer large enough for all of
// it first, since the conversion writes nothing into a buffer that is too small.
std::size_t ansiToUtf8(std::string_view text, char* out, std::size_t capacity) {
    wchar_t wide[ANSI_TEXT_LIMIT];
    char converted[UTF8_BYTES_PER_ANSI_BYTE * ANSI_TEXT_LIMIT];
    int ansiLength = static_cast<int>(text.size() < ANSI_TEXT_LIMIT ? text.size() : ANSI_TEXT_LIMIT);
    int wideLength = ansiLength > 0 ? MultiByteToWideChar(CP_ACP, 0, text.data(), ansiLength, wide,
                                                          static_cast<int>(ANSI_TEXT_LIMIT))
                                    : 0;
    int utf8Length = wideLength > 0
                         ? WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, converted,
                                               static_cast<int>(sizeof converted), nullptr, nullptr)
                         : 0;
    copyBounded(out, capacity, std::string_view(converted, utf8Length > 0 ? utf8Length : 0));
    return std::strlen(out);
}

}  // namespace tandrel::platform

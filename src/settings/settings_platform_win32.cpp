#include <io.h>
#include <windows.h>

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

bool flushFileToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

bool replaceFile(const char* source, const char* target) {
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace tandrel::platform

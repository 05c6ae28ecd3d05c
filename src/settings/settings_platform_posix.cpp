#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "settings/settings_platform.h"

namespace tandrel::platform {
namespace {

std::mutex settingsLock;

}  // namespace

void lockSettings() {
    settingsLock.lock();
}

void unlockSettings() {
    settingsLock.unlock();
}

bool flushFileToDisk(std::FILE* file) {
    return fsync(fileno(file)) == 0;
}

bool replaceFile(const char* source, const char* target) {
    return std::rename(source, target) == 0;
}

}  // namespace tandrel::platform

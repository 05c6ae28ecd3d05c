#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "base/utf8.h"
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

std::size_t ansiToUtf8(std::string_view text, char* out, std::size_t capacity) {
    return utf8::fromWindows1252(text.substr(0, ANSI_TEXT_LIMIT), out, capacity);
}

}  // namespace tandrel::platform

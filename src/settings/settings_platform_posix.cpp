#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "base/utf8.h"
#include "host/host_functions.h"
#include "settings/settings_platform.h"

namespace tandrel::platform {
namespace {

// A plain POSIX mutex: std::mutex would bring the C++ runtime's exception support into the Linux
// library for its error path.
pthread_mutex_t settingsLock = PTHREAD_MUTEX_INITIALIZER;

}  // namespace

void lockSettings() {
    pthread_mutex_lock(&settingsLock);
}

void unlockSettings() {
    pthread_mutex_unlock(&settingsLock);
}

// The host knows where the client keeps its configuration: "~/.ts3client/" in a default install, a
// folder of its own in a sandboxed one. No environment variable says it.
bool pluginFolder(char* folder, std::size_t capacity) {
    if (!host::getConfigPath(folder, capacity)) {
        return false;
    }
    std::size_t length = std::strlen(folder);
    int written = std::snprintf(folder + length, capacity - length, "plugins/");
    return written > 0 && static_cast<std::size_t>(written) < capacity - length;
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

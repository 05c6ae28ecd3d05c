#include "ui/settings_file_opener.h"

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "host/host_functions.h"
#include "settings/config_file.h"

extern char** environ;

namespace tandrel {
namespace {

constexpr const char* OPENER = "xdg-open";
constexpr std::size_t LOG_LINE_SIZE = CONFIG_PATH_SIZE + 160;
constexpr long SHUTDOWN_WAIT_MS = 5000;
constexpr long SHUTDOWN_POLL_MS = 10;

// The configure call in progress, as a shutdown on another thread sees it.
struct OpenerSession {
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    bool busy = false;      // a configure call is inside openSettingsFile
    pid_t child = 0;        // its xdg-open, while that runs
    bool stopping = false;  // the plug-in is shutting down: the xdg-open is to end
};

OpenerSession session;

// Holds the session's lock for a scope (a plain POSIX mutex: std::mutex would bring the C++
// runtime's exception support into the library for its error path).
class SessionLock {
  public:
    SessionLock() { pthread_mutex_lock(&session.lock); }
    ~SessionLock() { pthread_mutex_unlock(&session.lock); }
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;
};

void logLine(LogLevel severity, const char* format, const char* path) {
    char line[LOG_LINE_SIZE];
    std::snprintf(line, sizeof line, format, path);
    host::logMessage(line, severity, 0);
}

// The file is written from the current settings only when it is not there yet: an existing file,
// even one the plug-in could not read, is the user's and stays as it is.
bool ensureFileExists(const char* path) {
    return access(path, F_OK) == 0 || saveSettings();
}

// Starts xdg-open with the path as its one argument: no shell in between, so no character of the
// path means anything. The child starts with no signal blocked and the usual dispositions, whatever
// the client's thread had set. 0 when it cannot start (not installed, not on PATH).
pid_t startOpener(const char* path) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        return 0;
    }
    sigset_t noSignals;
    sigset_t defaultSignals;
    sigemptyset(&noSignals);
    sigemptyset(&defaultSignals);
    for (int number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2}) {
        sigaddset(&defaultSignals, number);
    }
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* const arguments[] = {const_cast<char*>(OPENER), const_cast<char*>(path), nullptr};
    pid_t child = 0;
    const int error = posix_spawnp(&child, OPENER, nullptr, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? child : 0;
}

// Reaps the child, so that no zombie is left in the client. Its exit status; 0 also when the client
// reaps its children itself (then there is no status to read).
int waitForExit(pid_t child) {
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = waitpid(child, &status, 0);
    } while (reaped == -1 && errno == EINTR);
    if (reaped != child) {
        return 0;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void openInDesktopEditor(const char* path) {
    const pid_t child = startOpener(path);
    if (child == 0) {
        logLine(LogLevel_WARNING,
                "Tandrel: could not start xdg-open for the settings file %s; open it in a text editor", path);
        return;
    }
    {
        SessionLock guard;
        session.child = child;
        if (session.stopping) {
            kill(child, SIGTERM);
        }
    }
    const int status = waitForExit(child);
    {
        SessionLock guard;
        session.child = 0;
    }
    if (status != 0) {
        char format[128];
        std::snprintf(format, sizeof format,
                      "Tandrel: xdg-open could not open the settings file %%s (exit status %d); open it "
                      "in a text editor",
                      status);
        logLine(LogLevel_WARNING, format, path);
        return;
    }
    logLine(LogLevel_INFO,
            "Tandrel: opened the settings file %s; edits apply when the plug-in is next loaded", path);
}

void openSettingsFileOnce() {
    char path[CONFIG_PATH_SIZE];
    if (!composeConfigFilePath(path)) {
        host::logMessage("Tandrel: the client named no folder for the settings file", LogLevel_WARNING, 0);
        return;
    }
    if (!ensureFileExists(path)) {
        logLine(LogLevel_WARNING, "Tandrel: could not write the settings file %s", path);
        return;
    }
    openInDesktopEditor(path);
}

bool configureCallRunning() {
    SessionLock guard;
    return session.busy;
}

}  // namespace

void openSettingsFile() {
    {
        SessionLock guard;
        if (session.busy || session.stopping) {
            return;
        }
        session.busy = true;
    }
    openSettingsFileOnce();
    SessionLock guard;
    session.busy = false;
}

void stopSettingsFileOpenerForShutdown() {
    {
        SessionLock guard;
        if (!session.busy) {
            return;
        }
        session.stopping = true;
        if (session.child != 0) {
            kill(session.child, SIGTERM);
        }
    }
    const timespec pause{0, SHUTDOWN_POLL_MS * 1000000L};
    for (long waited = 0; waited < SHUTDOWN_WAIT_MS && configureCallRunning(); waited += SHUTDOWN_POLL_MS) {
        nanosleep(&pause, nullptr);
    }
    SessionLock guard;
    session.stopping = false;
}

}  // namespace tandrel

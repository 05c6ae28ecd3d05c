#include "ui/window_session.h"

namespace tandrel {
namespace {

struct WindowSession {
    bool active;          // a configure call owns the records, from opening to the end of teardown
    bool closeRequested;  // shutdown asked the window to close as a cancel would
    HWND window;          // the open window, once created and until destroyed
    DWORD threadId;
};

SRWLOCK sessionLock = SRWLOCK_INIT;
WindowSession session{};

// Holds the session lock for one scope: exclusively to change the session, shared to read it.
class SessionLock {
  public:
    enum Mode { TO_CHANGE, TO_READ };
    explicit SessionLock(Mode mode) : shared_(mode == TO_READ) {
        shared_ ? AcquireSRWLockShared(&sessionLock) : AcquireSRWLockExclusive(&sessionLock);
    }
    ~SessionLock() { shared_ ? ReleaseSRWLockShared(&sessionLock) : ReleaseSRWLockExclusive(&sessionLock); }
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

  private:
    bool shared_;
};

}  // namespace

bool claimSession() {
    SessionLock lock(SessionLock::TO_CHANGE);
    bool claimed = !session.active;
    if (claimed) {
        session = {true, false, nullptr, GetCurrentThreadId()};
    }
    return claimed;
}

void releaseSession() {
    SessionLock lock(SessionLock::TO_CHANGE);
    session = {};
}

bool sessionActive() {
    SessionLock lock(SessionLock::TO_READ);
    return session.active;
}

void publishWindow(HWND window) {
    SessionLock lock(SessionLock::TO_CHANGE);
    session.window = window;
    if (session.closeRequested) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

void forgetWindow() {
    SessionLock lock(SessionLock::TO_CHANGE);
    session.window = nullptr;
}

void bringOpenWindowToFront() {
    SessionLock lock(SessionLock::TO_READ);
    if (session.window != nullptr) {
        PostMessageA(session.window, WM_BRING_TO_FRONT, 0, 0);
    }
}

DWORD requestCloseForShutdown() {
    SessionLock lock(SessionLock::TO_CHANGE);
    if (!session.active || session.threadId == GetCurrentThreadId()) {
        return 0;
    }
    session.closeRequested = true;
    if (session.window != nullptr) {
        PostMessageA(session.window, WM_CLOSE, 0, 0);
    }
    return session.threadId;
}

}  // namespace tandrel

// Who owns the settings window's records. The host may call configure again, or shut the plug-in
// down, on other threads while a window is open; those calls only read the session and post
// messages to the window, whose own thread alone touches the records.
#pragma once

#include <windows.h>

namespace tandrel {

// Another configure call asks the open window, through its own thread, to come to the front.
inline constexpr UINT WM_BRING_TO_FRONT = WM_APP + 1;

// Makes the calling thread the owner, from opening to the end of teardown; false when a window's
// session is already running.
bool claimSession();
void releaseSession();
bool sessionActive();

// Makes the window reachable for other threads; a shutdown that came first closes it at once.
void publishWindow(HWND window);
// The window is being destroyed: nothing is posted to it any more.
void forgetWindow();

// Asks the open window, if any, to come to the front.
void bringOpenWindowToFront();

// Asks the open window to close as a cancel would (now, or as soon as it is published). Returns the
// thread that runs the session, for the caller to wait for; 0 when there is none to wait for, or
// when it is the calling thread, which cannot wait for itself.
DWORD requestCloseForShutdown();

}  // namespace tandrel

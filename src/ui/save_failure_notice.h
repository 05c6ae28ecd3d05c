// Telling the user that the confirmed settings could not be written: they stay in force until the
// client restarts, and a notice names the file; the client's log gets a warning too.
#pragma once

#include <windows.h>

namespace tandrel {

// Logs the failure and shows the notice; blocks until the user closes it (or a shutdown does).
void reportSaveFailure();

// Closes a notice that the thread shows, as its OK button would.
void closeSaveFailureNotices(DWORD threadId);

}  // namespace tandrel

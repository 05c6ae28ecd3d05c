// The plug-in's settings window: modal, on the thread the host starts for the configure call.
#pragma once

namespace tandrel {

// Opens the window and runs its message loop until it is closed; commits and saves on OK. A call
// while a window is already open brings that window to the front and returns at once.
void openSettingsWindow();

// At plug-in shutdown: closes an open window as a cancel would and waits, bounded, until its
// configure call has returned, so that the host can unload the DLL safely. Does nothing when no
// window is open.
void closeSettingsWindowForShutdown();

}  // namespace tandrel

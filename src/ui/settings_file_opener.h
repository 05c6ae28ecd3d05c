// What "Settings" does where the plug-in has no window (Linux): it opens the settings file in the
// desktop's editor. Edits reach the plug-in when it is next loaded.
#pragma once

namespace tandrel {

// Writes the current settings to the file when there is none yet, then hands the file to
// "xdg-open" and returns once that has exited. A failure is logged as a warning naming the file. A
// call while another one is still waiting for its xdg-open returns at once.
void openSettingsFile();

// At plug-in shutdown: stops a waiting xdg-open and waits, bounded, until its configure call has
// returned, so that no thread is left in the library when the host unloads it.
void stopSettingsFileOpenerForShutdown();

}  // namespace tandrel

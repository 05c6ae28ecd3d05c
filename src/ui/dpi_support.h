// The per-monitor DPI functions of user32, which older systems lack: looked up at run time, each
// with the fallback that such a system gets.
#pragma once

#include <windows.h>

namespace tandrel {

inline constexpr int BASE_DPI = 96;

// Makes the calling thread per-monitor DPI aware (the second form where the system knows it) and
// returns its previous awareness; null when the system has no thread awareness contexts.
DPI_AWARENESS_CONTEXT becomePerMonitorAware();
// Gives the thread back the awareness that becomePerMonitorAware returned; nothing for null.
void restoreDpiAwareness(DPI_AWARENESS_CONTEXT previous);

// The DPI of the monitor the window is on; 96 where the system cannot tell.
int dpiOfWindow(HWND window);

// Widens a client rectangle to the window rectangle for the style, with the border and caption of
// dpi (of the system's own DPI where the system has no per-DPI form).
void adjustWindowRectForDpi(RECT& rect, DWORD style, int dpi);

// The system's non-client metrics for dpi. NOT_AVAILABLE where the system lacks the per-DPI query.
enum class DpiQuery { NOT_AVAILABLE, FAILED, FILLED };
DpiQuery queryNonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi);

}  // namespace tandrel

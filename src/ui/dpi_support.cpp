#include "ui/dpi_support.h"

namespace tandrel {
namespace {

using SetThreadDpiAwarenessContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// The functions as found in the loaded user32; null = not found (yet). Only the thread that runs
// the settings window looks them up, and only one window runs at a time.
struct User32Functions {
    SetThreadDpiAwarenessContextFn setThreadDpiAwarenessContext = nullptr;
    GetDpiForWindowFn getDpiForWindow = nullptr;
    SystemParametersInfoForDpiFn systemParametersInfoForDpi = nullptr;
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;
};
User32Functions user32Functions;

// The cached function, looked up when it is not known yet.
template <typename Function>
Function findUser32Function(Function& cache, const char* name) {
    if (cache == nullptr) {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        if (user32 != nullptr) {
            cache = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
        }
    }
    return cache;
}

SetThreadDpiAwarenessContextFn findSetThreadDpiAwarenessContext() {
    return findUser32Function(user32Functions.setThreadDpiAwarenessContext, "SetThreadDpiAwarenessContext");
}

}  // namespace

// Systems that know the thread contexts but not the second per-monitor form refuse it; the first
// form still gives a sharp client area at the monitor's DPI.
DPI_AWARENESS_CONTEXT becomePerMonitorAware() {
    SetThreadDpiAwarenessContextFn setContext = findSetThreadDpiAwarenessContext();
    if (setContext == nullptr) {
        return nullptr;
    }
    DPI_AWARENESS_CONTEXT previous = setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    return previous != nullptr ? previous : setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

void restoreDpiAwareness(DPI_AWARENESS_CONTEXT previous) {
    SetThreadDpiAwarenessContextFn setContext = findSetThreadDpiAwarenessContext();
    if (setContext != nullptr && previous != nullptr) {
        setContext(previous);
    }
}

int dpiOfWindow(HWND window) {
    GetDpiForWindowFn getDpi = findUser32Function(user32Functions.getDpiForWindow, "GetDpiForWindow");
    int dpi = getDpi != nullptr ? static_cast<int>(getDpi(window)) : BASE_DPI;
    return dpi > 0 ? dpi : BASE_DPI;  // 0 means the query failed
}

void adjustWindowRectForDpi(RECT& rect, DWORD style, int dpi) {
    AdjustWindowRectExForDpiFn adjustForDpi =
        findUser32Function(user32Functions.adjustWindowRectExForDpi, "AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, style, FALSE, 0, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRect(&rect, style, FALSE);
    }
}

DpiQuery queryNonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi) {
    SystemParametersInfoForDpiFn forDpi =
        findUser32Function(user32Functions.systemParametersInfoForDpi, "SystemParametersInfoForDpi");
    if (forDpi == nullptr) {
        return DpiQuery::NOT_AVAILABLE;
    }
    metrics.cbSize = sizeof metrics;
    return forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))
               ? DpiQuery::FILLED
               : DpiQuery::FAILED;
}

}  // namespace tandrel

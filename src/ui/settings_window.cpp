#include "ui/settings_window.h"

#include <windows.h>

#include "settings/config_file.h"
#include "settings/plugin_settings.h"
#include "ui/add_stream_form.h"
#include "ui/dark_theme.h"
#include "ui/dpi_support.h"
#include "ui/save_failure_notice.h"
#include "ui/settings_layout.h"
#include "ui/settings_window_state.h"
#include "ui/station_list_pane.h"
#include "ui/window_session.h"

namespace tandrel {

SettingsWindowState settingsWindowState;

namespace {

constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU;  // fixed size, hidden until laid out
static_assert(WINDOW_STYLE == 0x00C80000);
constexpr int WHEEL_LINES = 3;
constexpr DWORD SHUTDOWN_WAIT_MS = 5000;
constexpr DWORD SHUTDOWN_POLL_MS = 10;

// --- opening ---

bool registerClass(const char* name, WNDPROC procedure) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = hostInstance();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}

// The outer size for the client size, with the border and caption of the current DPI.
SIZE outerWindowSize(SIZE client) {
    RECT rect = {0, 0, client.cx, client.cy};
    adjustWindowRectForDpi(rect, WINDOW_STYLE, settingsWindowState.currentDpi);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// Centred on the primary screen, the outer size for the client size at the current DPI.
RECT centredOnPrimaryScreen() {
    SIZE outer = outerWindowSize(settingsClientSize());
    int x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    return {x, y, x + outer.cx, y + outer.cy};
}

LRESULT CALLBACK settingsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Made hidden, where it belongs at 96 DPI (the record's DPI while closed): only a monitor of another
// DPI makes it move again.
HWND createSettingsWindow() {
    const RECT place = centredOnPrimaryScreen();
    return CreateWindowExA(WS_EX_DLGMODALFRAME, SETTINGS_WINDOW_CLASS, "Tandrel Einstellungen", WINDOW_STYLE,
                           place.left, place.top, place.right - place.left, place.bottom - place.top, nullptr,
                           nullptr, hostInstance(), nullptr);
}

// The layout follows the DPI of the window's monitor; the window is placed again for it when that
// is not the DPI it was made for.
void takeDpiOfMonitor(HWND window) {
    const int dpi = dpiOfWindow(window);
    if (dpi == settingsWindowState.currentDpi) {
        return;
    }
    settingsWindowState.currentDpi = dpi;
    const RECT place = centredOnPrimaryScreen();
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER);
}

void showSettingsWindow(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
}

// --- the message loop ---

bool isWindowOrDescendant(HWND window, HWND target) {
    return target == window || IsChild(window, target);
}

// The wheel scrolls the station list wherever the pointer or the focus is: three lines a notch,
// whatever the size of the delta.
void forwardWheelToPane(const MSG& message) {
    bool towardUser = static_cast<short>(HIWORD(message.wParam)) < 0;
    WPARAM request = towardUser ? SB_LINEDOWN : SB_LINEUP;
    for (int k = 0; k < WHEEL_LINES; ++k) {
        SendMessageA(settingsWindowState.stationPane, WM_VSCROLL, request, 0);
    }
}

// Enter anywhere in the window is OK and Escape is cancel; true when the key was taken.
bool handleDialogKey(HWND window, const MSG& message) {
    if (!isWindowOrDescendant(window, message.hwnd)) {
        return false;
    }
    if (message.wParam == VK_RETURN) {
        SendMessageA(window, WM_COMMAND, ID_OK, 0);
        return true;
    }
    if (message.wParam == VK_ESCAPE) {
        SendMessageA(window, WM_COMMAND, ID_CANCEL, 0);
        return true;
    }
    return false;
}

// Runs until the window's destruction posts WM_QUIT (or GetMessageW fails). The wide functions hand
// typed characters to the wide name and URL fields as they are; the ANSI forms would pass them
// through the ANSI code page and lose every character it lacks.
void runMessageLoop(HWND window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_MOUSEWHEEL) {
            forwardWheelToPane(message);
            continue;
        }
        if (message.message == WM_KEYDOWN && handleDialogKey(window, message)) {
            continue;
        }
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// --- closing ---

void onOk(HWND window) {
    settingsDraft.acceptedInfo = readInfoCheckBoxes(window, {0, 0, 0});
    syncStationRows();
    settingsDraft.accepted = 1;
    DestroyWindow(window);
}

void onCancel(HWND window) {
    settingsDraft.accepted = 0;
    DestroyWindow(window);
}

// The live record takes the draft under the guard; the file is written afterwards, from the live
// record. True when it was.
bool commitDraft() {
    commitDraftToLiveSettings(settingsDraft);
    return saveSettings();
}

void tearDown(DPI_AWARENESS_CONTEXT previousContext, bool settingsClassOurs, bool paneClassOurs) {
    // The closed window's record: no handles, the fonts and brushes deleted, 96 DPI.
    settingsWindowState = {};
    // A class of the same name that someone else registered is not ours to remove.
    if (settingsClassOurs) {
        UnregisterClassA(SETTINGS_WINDOW_CLASS, hostInstance());
    }
    if (paneClassOurs) {
        UnregisterClassA(STATION_PANE_CLASS, hostInstance());
    }
    restoreDpiAwareness(previousContext);
}

// A window whose creation failed may still have posted WM_QUIT from its WM_DESTROY; it must not
// reach the host's own loop on this thread.
void discardQuitRequest() {
    MSG message;
    PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void runSettingsWindow() {
    DPI_AWARENESS_CONTEXT previousContext = becomePerMonitorAware();
    createThemeBrushes();
    fillDraftFromLiveSettings(settingsDraft);
    bool settingsClassOurs = registerClass(SETTINGS_WINDOW_CLASS, settingsWndProc);
    bool paneClassOurs = registerClass(STATION_PANE_CLASS, scrollPaneWndProc);
    HWND window = settingsClassOurs && paneClassOurs ? createSettingsWindow() : nullptr;
    if (window == nullptr) {
        discardQuitRequest();
        tearDown(previousContext, settingsClassOurs, paneClassOurs);
        return;
    }
    publishWindow(window);
    applyDarkTitleBar(window);
    takeDpiOfMonitor(window);
    createUiFonts();
    buildSettingsControls(window);
    settingsDraft.accepted = 0;
    showSettingsWindow(window);
    runMessageLoop(window);
    bool saveFailed = settingsDraft.accepted == 1 && !commitDraft();
    tearDown(previousContext, true, true);
    // Still inside the session: a shutdown waits for the notice and closes it.
    if (saveFailed) {
        reportSaveFailure();
    }
}

// --- the window procedure: one small handler per message ---

LRESULT onCommand(HWND window, WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case ID_OK:
            onOk(window);
            break;
        case ID_CANCEL:
            onCancel(window);
            break;
        case ID_ADD_STREAM:
            addStreamFromForm();
            break;
        case ID_EXAMPLE_LINK:
            openExampleStreamsPage();
            break;
        default:
            break;
    }
    return 0;
}

LRESULT onDestroy() {
    forgetWindow();
    PostQuitMessage(0);
    return 0;
}

LRESULT onBringToFront(HWND window) {
    SetForegroundWindow(window);
    BringWindowToTop(window);
    return 0;
}

LRESULT CALLBACK settingsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            return onDestroy();
        case WM_CLOSE:
            onCancel(window);
            return 0;
        case WM_COMMAND:
            return onCommand(window, wParam);
        case WM_ERASEBKGND:
            return eraseWithBackground(window, reinterpret_cast<HDC>(wParam));
        case WM_DRAWITEM:
            if (drawOwnerButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) != 0) {
                return 1;
            }
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(settingsControlColour(message, reinterpret_cast<HDC>(wParam),
                                                                   reinterpret_cast<HWND>(lParam)));
        case WM_DPICHANGED:
            return onDpiChanged(window, wParam, lParam);
        case WM_BRING_TO_FRONT:
            return onBringToFront(window);
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void openSettingsWindow() {
    if (!claimSession()) {
        bringOpenWindowToFront();
        return;
    }
    runSettingsWindow();
    releaseSession();
}

void closeSettingsWindowForShutdown() {
    const DWORD windowThread = requestCloseForShutdown();
    for (DWORD waited = 0; windowThread != 0 && sessionActive() && waited < SHUTDOWN_WAIT_MS;
         waited += SHUTDOWN_POLL_MS) {
        // The save notice may be up, or about to come up; it is closed as its OK button would.
        closeSaveFailureNotices(windowThread);
        Sleep(SHUTDOWN_POLL_MS);
    }
}

}  // namespace tandrel

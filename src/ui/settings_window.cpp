#include "ui/settings_window.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "host/host_functions.h"
#include "settings/config_file.h"
#include "settings/plugin_settings.h"
#include "settings/settings_platform.h"
#include "ui/add_stream_form.h"
#include "ui/dark_theme.h"
#include "ui/settings_layout.h"
#include "ui/settings_window_state.h"
#include "ui/station_list_pane.h"

namespace tandrel {

SettingsWindowState settingsWindowState;

namespace {

constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU;  // fixed size, hidden until laid out
static_assert(WINDOW_STYLE == 0x00C80000);
constexpr int INITIAL_SIZE = 100;
constexpr COLORREF BACKGROUND_COLOUR = palette::BACKGROUND;
constexpr COLORREF EDIT_COLOUR = palette::EDIT_BACKGROUND;
constexpr DWORD DWM_USE_IMMERSIVE_DARK_MODE = 20;
// Another configure call asks the open window, through its own thread, to come to the front.
constexpr UINT WM_BRING_TO_FRONT = WM_APP + 1;
constexpr int WHEEL_LINES = 3;
constexpr DWORD SHUTDOWN_WAIT_MS = 5000;
constexpr DWORD SHUTDOWN_POLL_MS = 10;

// The notice that the settings could not be saved; German spelled in ASCII like the window's texts.
constexpr const wchar_t* SAVE_FAILURE_CAPTION = L"Tandrel Einstellungen";
constexpr const wchar_t* SAVE_FAILURE_TEXT =
    L"Die Einstellungen gelten bis zum Neustart des Clients, konnten aber nicht gespeichert werden:\n";
constexpr int SAVE_FAILURE_TEXT_SIZE = 512;  // the text above and a path of CONFIG_PATH_SIZE
constexpr std::size_t SAVE_FAILURE_LINE_SIZE = 1024;
constexpr const char* MESSAGE_BOX_CLASS = "#32770";

using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

// Who owns the window records. The host may call configure again, or shut the plug-in down, on
// other threads while a window is open; those calls only read this record and post messages.
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

// --- the session, shared with other threads ---

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

// Makes the window reachable for other threads; a shutdown that came first closes it at once.
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

BOOL CALLBACK closeSaveFailureNotice(HWND window, LPARAM) {
    char className[16] = {};
    wchar_t caption[32] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextW(window, caption, 32);
    if (std::strcmp(className, MESSAGE_BOX_CLASS) == 0 && std::wcscmp(caption, SAVE_FAILURE_CAPTION) == 0) {
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

bool sessionActive() {
    SessionLock lock(SessionLock::TO_READ);
    return session.active;
}

// --- opening ---

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

void createBrushes() {
    settingsWindowState.brushes.background = ScopedGdiObject<HBRUSH>(CreateSolidBrush(BACKGROUND_COLOUR));
    settingsWindowState.brushes.edit = ScopedGdiObject<HBRUSH>(CreateSolidBrush(EDIT_COLOUR));
}

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

void applyDarkTitleBar(HWND window) {
    HMODULE dwmapi = LoadLibraryA("dwmapi.dll");
    if (dwmapi == nullptr) {
        return;
    }
    auto setAttribute = reinterpret_cast<DwmSetWindowAttributeFn>(
        reinterpret_cast<void*>(GetProcAddress(dwmapi, "DwmSetWindowAttribute")));
    if (setAttribute != nullptr) {
        BOOL dark = TRUE;
        setAttribute(window, DWM_USE_IMMERSIVE_DARK_MODE, &dark, sizeof dark);
    }
    FreeLibrary(dwmapi);
}

int dpiOfWindow(HWND window) {
    GetDpiForWindowFn getDpi = findGetDpiForWindow();
    int dpi = getDpi != nullptr ? static_cast<int>(getDpi(window)) : BASE_DPI;
    return dpi > 0 ? dpi : BASE_DPI;  // 0 means the query failed
}

// The outer size for the client size, with the border and caption of the current DPI.
SIZE outerWindowSize(SIZE client) {
    RECT rect = {0, 0, client.cx, client.cy};
    AdjustWindowRectExForDpiFn adjustForDpi = findAdjustWindowRectExForDpi();
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, WINDOW_STYLE, FALSE, 0, static_cast<UINT>(settingsWindowState.currentDpi));
    } else {
        AdjustWindowRect(&rect, WINDOW_STYLE, FALSE);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void placeOnPrimaryScreen(HWND window) {
    SIZE outer = outerWindowSize(settingsClientSize());
    int x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    SetWindowPos(window, nullptr, x, y, outer.cx, outer.cy, SWP_NOZORDER);
}

LRESULT CALLBACK settingsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HWND createSettingsWindow() {
    return CreateWindowExA(WS_EX_DLGMODALFRAME, SETTINGS_WINDOW_CLASS, "Tandrel Einstellungen", WINDOW_STYLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, INITIAL_SIZE, INITIAL_SIZE, nullptr, nullptr,
                           hostInstance(), nullptr);
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

void logSaveFailure(const char* path) {
    char utf8Path[platform::UTF8_BYTES_PER_ANSI_BYTE * CONFIG_PATH_SIZE];
    platform::ansiToUtf8(path, utf8Path, sizeof utf8Path);
    char line[SAVE_FAILURE_LINE_SIZE];
    std::snprintf(line, sizeof line,
                  "Tandrel: could not save the settings to %s; they apply until the client restarts",
                  utf8Path);
    host::logMessage(line, LogLevel_WARNING, 0);
}

// Blocks until the user closes the notice (or a shutdown closes it).
void showSaveFailureNotice(const char* path) {
    static_assert(SAVE_FAILURE_TEXT_SIZE > 100 + CONFIG_PATH_SIZE, "the text and the longest path fit");
    wchar_t text[SAVE_FAILURE_TEXT_SIZE] = {};
    int length = static_cast<int>(std::wcslen(SAVE_FAILURE_TEXT));
    std::wmemcpy(text, SAVE_FAILURE_TEXT, static_cast<std::size_t>(length));
    // The path comes from the environment, in the ANSI code page.
    MultiByteToWideChar(CP_ACP, 0, path, -1, text + length, SAVE_FAILURE_TEXT_SIZE - length);
    MessageBoxW(nullptr, text, SAVE_FAILURE_CAPTION, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

// The committed settings stay in force, but the user must know that they are gone at the next start
// and which file could not be written; the client's log gets a warning too.
void reportSaveFailure() {
    char path[CONFIG_PATH_SIZE];
    composeConfigFilePath(path);  // a path that does not fit is named as far as it goes
    logSaveFailure(path);
    showSaveFailureNotice(path);
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
    SetThreadDpiAwarenessContextFn setContext = findSetThreadDpiAwarenessContext();
    if (setContext != nullptr && previousContext != nullptr) {
        setContext(previousContext);
    }
}

// A window whose creation failed may still have posted WM_QUIT from its WM_DESTROY; it must not
// reach the host's own loop on this thread.
void discardQuitRequest() {
    MSG message;
    PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void runSettingsWindow() {
    DPI_AWARENESS_CONTEXT previousContext = becomePerMonitorAware();
    createBrushes();
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
    settingsWindowState.currentDpi = dpiOfWindow(window);
    createUiFonts();
    placeOnPrimaryScreen(window);
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

SetThreadDpiAwarenessContextFn findSetThreadDpiAwarenessContext() {
    return findUser32Function(settingsWindowState.setThreadDpiAwarenessContextFn,
                              "SetThreadDpiAwarenessContext");
}

GetDpiForWindowFn findGetDpiForWindow() {
    return findUser32Function(settingsWindowState.getDpiForWindowFn, "GetDpiForWindow");
}

SystemParametersInfoForDpiFn findSystemParametersInfoForDpi() {
    return findUser32Function(settingsWindowState.systemParametersInfoForDpiFn, "SystemParametersInfoForDpi");
}

AdjustWindowRectExForDpiFn findAdjustWindowRectExForDpi() {
    return findUser32Function(settingsWindowState.adjustWindowRectExForDpiFn, "AdjustWindowRectExForDpi");
}

void openSettingsWindow() {
    if (!claimSession()) {
        bringOpenWindowToFront();
        return;
    }
    runSettingsWindow();
    releaseSession();
}

void closeSettingsWindowForShutdown() {
    bool mustWait = false;
    DWORD windowThread = 0;
    {
        SessionLock lock(SessionLock::TO_CHANGE);
        // The window's own thread cannot wait for itself; without a window there is nothing to do.
        mustWait = session.active && session.threadId != GetCurrentThreadId();
        if (mustWait) {
            session.closeRequested = true;
            if (session.window != nullptr) {
                PostMessageA(session.window, WM_CLOSE, 0, 0);
            }
        }
        windowThread = session.threadId;
    }
    for (DWORD waited = 0; mustWait && sessionActive() && waited < SHUTDOWN_WAIT_MS;
         waited += SHUTDOWN_POLL_MS) {
        // The save notice may be up, or about to come up; it is closed as its OK button would.
        EnumThreadWindows(windowThread, closeSaveFailureNotice, 0);
        Sleep(SHUTDOWN_POLL_MS);
    }
}

}  // namespace tandrel

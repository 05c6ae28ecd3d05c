// Drives the settings window of the shipped DLL under Wine: a plug-in started from a configuration
// file, the configure call on a thread of its own as the client makes it, and small helpers that
// read the window's controls back and act on them. Every wait is bounded.
#pragma once

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fake_host.h"
#include "plugin_library.h"
#include "test_files.h"
#include "time_limits.h"

namespace tandrel::testing {

inline constexpr const char* SETTINGS_CLASS = "TandrelSettingsWnd";
inline constexpr const char* SETTINGS_TITLE = "Tandrel Einstellungen";
// The longest any wait of the suites lasts: 10 s at the machine's own speed.
inline const DWORD WAIT_MS = static_cast<DWORD>(10000 * timeFactor());

struct TestStation {
    std::string label;
    std::string url;
    int enabled = 1;
};

// n stations "Genre | Station <i>" with URLs "https://stream<i>.example/live", all enabled.
std::vector<TestStation> numberedStations(int count);

// The configuration file's text for the given switches and stations, exactly as the plug-in
// writes it (line feeds; the file itself holds CR LF in text mode).
std::string configText(int server, int channel, int client, const std::vector<TestStation>& stations);

// A loaded and initialised plug-in with its own APPDATA folder and configuration file. An empty
// station list is reached through the window, as a user would: the only station deleted, then OK.
class PluginUnderTest {
  public:
    PluginUnderTest(int server, int channel, int client, const std::vector<TestStation>& stations);
    // Started from a file of exactly these bytes; without any, from no file at all, as the plug-in
    // starts the first time after installing.
    explicit PluginUnderTest(const std::optional<std::string>& fileBytes);
    ~PluginUnderTest();

    const PluginEntryPoints& p() const { return library_->plugin(); }
    PluginLibrary& library() { return *library_; }
    FakeHost& host() { return host_; }
    const std::filesystem::path& configPath() const { return configPath_; }
    std::string configFile() const { return readBytes(configPath_); }

    // The texts the bot receives for the client menu item of station index, and the info text for
    // server 1 (empty when the server block is switched off).
    std::string playCommandForStation(int index);
    std::string serverInfo();

    // The texts of the client menu's items as the last load built them.
    const std::vector<std::string>& menuTexts() const { return menuTexts_; }

    // Shuts the plug-in down and unloads the DLL; the destructor does it otherwise.
    void unload();
    // Unloads and loads the DLL again, which reads the file as it is now.
    void reload();

  private:
    void load();
    // Empties the live station list through the window: every row deleted, then OK.
    void deleteEveryStation();

    TempDir appData_;
    ScopedEnv env_;
    std::filesystem::path configPath_;
    FakeHost host_;
    PluginLibrary* library_ = nullptr;
    std::vector<std::string> menuTexts_;
};

// One configure call on a thread of its own.
class ConfigureCall {
  public:
    // A new thread, or one that has had a window before, as the client's GUI thread has: under Wine a
    // thread's first window also opens that thread's connection to the X server (about 15 ms), a
    // cost of the thread and not of the settings window.
    enum ThreadStart { NEW_THREAD, THREAD_THAT_HAD_A_WINDOW };

    // With a context, the thread takes that DPI awareness before it makes the call. Returns once the
    // thread is making the call.
    explicit ConfigureCall(const PluginEntryPoints& plugin, DPI_AWARENESS_CONTEXT threadContext = nullptr,
                           ThreadStart start = NEW_THREAD);
    ~ConfigureCall();  // closes a window left open and waits; ends the process rather than hang

    // The visible settings window, or null after the timeout.
    HWND waitForWindow(DWORD timeoutMs = WAIT_MS);
    // True once the configure call has returned.
    bool waitForReturn(DWORD timeoutMs = WAIT_MS);
    bool returned() const { return returned_; }
    // The milliseconds from the thread's making the call to the window's becoming visible.
    double openMilliseconds() const { return openMs_; }
    // The calling thread's DPI awareness once the call has returned.
    DPI_AWARENESS awarenessAfterReturn() const { return awarenessAfter_; }

  private:
    std::atomic<bool> calling_{false};
    std::atomic<bool> returned_{false};
    std::thread thread_;
    LARGE_INTEGER started_{};
    double openMs_ = 0;
    DPI_AWARENESS awarenessAfter_ = DPI_AWARENESS_INVALID;
};

// --- text: UTF-8 in the tests, UTF-16 at the window ---
std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& wide);

// --- reading the window back ---
HWND settingsWindow();  // the visible one, or null
HWND dialogItem(HWND parent, int id);
std::string windowText(HWND window);  // read with the wide function, as UTF-8
std::string className(HWND window);
DWORD style(HWND window);
DWORD exStyle(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT childRect(HWND child);
SIZE clientSize(HWND window);
bool isChecked(HWND box);
// The direct children of a window, in z order (creation order for controls).
std::vector<HWND> children(HWND parent);
SCROLLINFO verticalScroll(HWND window);

// --- acting on it; every send is bounded ---
LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void click(HWND control);  // BM_CLICK: a real press and release, notifying the parent
// The left button pressed and released over the middle of a control, posted to it as the mouse
// delivers them; for controls that take no BM_CLICK, such as a static that notifies its parent.
void mouseClick(HWND control);
void postKey(HWND target, WPARAM key);
void setText(HWND control, const std::string& utf8Text);  // with the wide function
// Types the text into an edit field of the settings window, one character message per UTF-16 unit
// through the window's message loop, as the keyboard would, and waits until the field has them.
void typeText(HWND field, const std::string& utf8Text);

// The notice that the settings could not be saved, a message box of this process; null after the
// timeout. Its text, read with the wide function, as UTF-8.
HWND waitForSaveNotice(DWORD timeoutMs = WAIT_MS);
std::string noticeText(HWND notice);
// Waits until the window's thread has handled everything posted to it so far.
void settle(HWND window);

// The DPI the Wine prefix runs at (HKCU\Control Panel\Desktop\LogPixels).
int systemDpi();

}  // namespace tandrel::testing

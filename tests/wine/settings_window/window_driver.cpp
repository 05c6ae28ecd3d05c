#include "window_driver.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

#include "deployment_config.h"

namespace tandrel::testing {
namespace {

double millisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

std::vector<TestStation> numberedStations(int count) {
    std::vector<TestStation> stations;
    for (int i = 0; i < count; ++i) {
        stations.push_back({"Genre | Station " + std::to_string(i),
                            "https://stream" + std::to_string(i) + ".example/live", 1});
    }
    return stations;
}

std::string configText(int server, int channel, int client, const std::vector<TestStation>& stations) {
    std::ostringstream text;
    text << "show_server_info=" << server << "\nshow_channel_info=" << channel
         << "\nshow_client_info=" << client << "\nstation_count=" << stations.size() << "\n";
    for (std::size_t i = 0; i < stations.size(); ++i) {
        text << "station_" << i << "_label=" << stations[i].label << "\nstation_" << i
             << "_url=" << stations[i].url << "\nstation_" << i << "_enabled=" << stations[i].enabled << "\n";
    }
    return text.str();
}

PluginUnderTest::PluginUnderTest(int server, int channel, int client,
                                 const std::vector<TestStation>& stations)
    : env_("APPDATA", appData_.path().string()),
      configPath_(makeClientPluginFolder(appData_.path()) / "TandrelPlugin.ini") {
    // A file without stations gives the built-in ones; an empty list only comes from the window.
    std::string text = configText(server, channel, client, stations.empty() ? numberedStations(1) : stations);
    // The file as the Windows runtime writes it: CR LF line ends.
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    writeBytes(configPath_, crlf);
    FakeConnection& connection = host_.addConnection(1, 5);
    connection.addClient(5, "ownUid=", "Alice", "8");
    connection.addClient(9, BOT_UID, "Radio");
    library_ = new PluginLibrary();
    if (!library_->loaded()) {
        ADD_FAILURE() << "cannot load " << PluginLibrary::path();
        std::abort();
    }
    p().setFunctionPointers(host_.table());
    p().init();
    PluginMenuItem** items = nullptr;
    char* icon = nullptr;
    p().initMenus(&items, &icon);
    for (int i = 0; items != nullptr && items[i] != nullptr; ++i) {
        p().freeMemory(items[i]);
    }
    p().freeMemory(items);
    if (stations.empty()) {
        deleteEveryStation();
    }
}

void PluginUnderTest::deleteEveryStation() {
    ConfigureCall call(p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    while (HWND remove = GetDlgItem(pane, 400)) {
        click(remove);
    }
    click(GetDlgItem(window, 1));
    ASSERT_TRUE(call.waitForReturn());
}

PluginUnderTest::~PluginUnderTest() {
    unload();
}

void PluginUnderTest::unload() {
    if (library_ != nullptr) {
        p().shutdown();
        delete library_;
        library_ = nullptr;
    }
}

std::string PluginUnderTest::playCommandForStation(int index) {
    std::size_t before = host_.sentMessages().size();
    // Client menu: four fixed items, then one per station enabled at start-up.
    p().onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 4 + index, 0);
    std::vector<FakePrivateMessage> sent = host_.sentMessages();
    return sent.size() > before ? sent.back().text : std::string();
}

std::string PluginUnderTest::serverInfo() {
    char* data = nullptr;
    p().infoData(1, 0, PLUGIN_SERVER, &data);
    std::string text = data != nullptr ? data : "";
    if (data != nullptr) {
        p().freeMemory(data);
    }
    return text;
}

ConfigureCall::ConfigureCall(const PluginEntryPoints& plugin, DPI_AWARENESS_CONTEXT threadContext) {
    QueryPerformanceCounter(&started_);
    auto configure = plugin.configure;
    thread_ = std::thread([this, configure, threadContext] {
        if (threadContext != nullptr) {
            SetThreadDpiAwarenessContext(threadContext);
        }
        configure(nullptr, nullptr);
        awarenessAfter_ = GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
        returned_ = true;
    });
}

ConfigureCall::~ConfigureCall() {
    if (!waitForReturn(0)) {
        if (HWND window = settingsWindow()) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        if (!waitForReturn(WAIT_MS)) {
            std::fprintf(stderr, "the configure call did not return; giving up\n");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    thread_.join();
}

HWND ConfigureCall::waitForWindow(DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 5) {
        if (HWND window = settingsWindow()) {
            if (openMs_ == 0) {
                openMs_ = millisecondsSince(started_);
            }
            settle(window);
            return window;
        }
        if (waited >= timeoutMs || returned_) {
            return nullptr;
        }
        Sleep(5);
    }
}

bool ConfigureCall::waitForReturn(DWORD timeoutMs) {
    for (DWORD waited = 0; !returned_; waited += 5) {
        if (waited >= timeoutMs) {
            return false;
        }
        Sleep(5);
    }
    return true;
}

HWND settingsWindow() {
    HWND window = FindWindowA(SETTINGS_CLASS, SETTINGS_TITLE);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

HWND dialogItem(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

std::string windowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string className(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD style(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

DWORD exStyle(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
}

RECT childRect(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE clientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

bool isChecked(HWND box) {
    return send(box, BM_GETCHECK) == BST_CHECKED;
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> result;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        result.push_back(child);
    }
    return result;
}

SCROLLINFO verticalScroll(HWND window) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, SB_VERT, &info);
    return info;
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, WAIT_MS, &result) == 0 &&
        GetLastError() == ERROR_TIMEOUT) {
        ADD_FAILURE() << "the window did not answer message " << message;
    }
    return static_cast<LRESULT>(result);
}

void click(HWND control) {
    send(control, BM_CLICK);
}

void postKey(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
}

void setText(HWND control, const std::string& text) {
    send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void settle(HWND window) {
    // Posted messages are handled in order, so once a posted marker has taken effect everything
    // posted before it has been handled too. The marker is the URL field's modified flag, which the
    // window never reads.
    HWND urlField = GetDlgItem(window, 602);
    if (urlField == nullptr) {
        send(window, WM_NULL);
        return;
    }
    send(urlField, EM_SETMODIFY, FALSE);
    PostMessageA(urlField, EM_SETMODIFY, TRUE, 0);
    for (DWORD waited = 0; send(urlField, EM_GETMODIFY) == 0; waited += 2) {
        if (waited >= WAIT_MS) {
            ADD_FAILURE() << "the window's thread did not get through its queue";
            return;
        }
        Sleep(2);
    }
    send(urlField, EM_SETMODIFY, FALSE);
}

int systemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace tandrel::testing

namespace tandrel::testing {
namespace {

// The test reads the window's rectangles in the window's own pixels: it is per-monitor aware too,
// so that the system maps no coordinates between the two.
struct PerMonitorAwareProcess {
    PerMonitorAwareProcess() {
        using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
        HMODULE user32 = GetModuleHandleA("user32.dll");
        auto set = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
        if (set != nullptr) {
            set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        }
    }
} perMonitorAwareProcess;

}  // namespace
}  // namespace tandrel::testing

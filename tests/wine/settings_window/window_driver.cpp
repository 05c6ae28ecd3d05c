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

namespace {

// The file as the Windows runtime writes it: CR LF line ends.
std::string withCrLf(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    return crlf;
}

}  // namespace

PluginUnderTest::PluginUnderTest(int server, int channel, int client,
                                 const std::vector<TestStation>& stations)
    // A file without stations gives the built-in ones; an empty list only comes from the window.
    : PluginUnderTest(
          withCrLf(configText(server, channel, client, stations.empty() ? numberedStations(1) : stations))) {
    if (stations.empty()) {
        deleteEveryStation();
    }
}

PluginUnderTest::PluginUnderTest(const std::optional<std::string>& fileBytes)
    : env_("APPDATA", appData_.path().string()),
      configPath_(makeClientPluginFolder(appData_.path()) / "TandrelPlugin.ini") {
    if (fileBytes.has_value()) {
        writeBytes(configPath_, *fileBytes);
    }
    FakeConnection& connection = host_.addConnection(1, 5);
    connection.addClient(5, "ownUid=", "Alice", "8");
    connection.addClient(9, BOT_UID, "Radio");
    load();
}

void PluginUnderTest::load() {
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
    menuTexts_.clear();
    for (int i = 0; items != nullptr && items[i] != nullptr; ++i) {
        if (items[i]->type == PLUGIN_MENU_TYPE_CLIENT) {
            menuTexts_.push_back(items[i]->text);
        }
        p().freeMemory(items[i]);
    }
    p().freeMemory(items);
}

void PluginUnderTest::reload() {
    unload();
    load();
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

ConfigureCall::ConfigureCall(const PluginEntryPoints& plugin, DPI_AWARENESS_CONTEXT threadContext,
                             ThreadStart start) {
    auto configure = plugin.configure;
    thread_ = std::thread([this, configure, threadContext, start] {
        if (threadContext != nullptr) {
            SetThreadDpiAwarenessContext(threadContext);
        }
        if (start == THREAD_THAT_HAD_A_WINDOW) {
            DestroyWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                          GetModuleHandleA(nullptr), nullptr));
        }
        QueryPerformanceCounter(&started_);
        calling_ = true;
        configure(nullptr, nullptr);
        awarenessAfter_ = GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
        returned_ = true;
    });
    while (!calling_) {
        Sleep(0);
    }
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

// The window is found once by class and title, then only its style is read, every millisecond: a
// cheap look, so that the poll takes little from the window's own thread while it makes its controls.
HWND ConfigureCall::waitForWindow(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND window = nullptr;
    for (;;) {
        if (window == nullptr || !IsWindow(window)) {
            window = FindWindowA(SETTINGS_CLASS, SETTINGS_TITLE);
        }
        if (window != nullptr && IsWindowVisible(window)) {
            if (openMs_ == 0) {
                openMs_ = millisecondsSince(started_);
            }
            settle(window);
            return window;
        }
        if (GetTickCount64() >= deadline || returned_) {
            return nullptr;
        }
        Sleep(1);
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

std::wstring wide(const std::string& utf8Text) {
    std::wstring text(utf8Text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()),
                                     text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string utf8(const std::wstring& wideText) {
    std::string text(3 * wideText.size() + 1, '\0');
    int length = WideCharToMultiByte(CP_UTF8, 0, wideText.data(), static_cast<int>(wideText.size()),
                                     text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return utf8(text);
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

void mouseClick(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageA(control, WM_LBUTTONUP, 0, middle);
    settle(GetAncestor(control, GA_ROOT));
}

void postKey(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
}

void setText(HWND control, const std::string& utf8Text) {
    std::wstring text = wide(utf8Text);
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                            WAIT_MS, &result) == 0) {
        ADD_FAILURE() << "the window did not take its text";
    }
}

namespace {

// The length in UTF-16 units, which the ANSI form of the message would not give.
LRESULT wideTextLength(HWND field) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(field, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, WAIT_MS, &length);
    return static_cast<LRESULT>(length);
}

}  // namespace

void typeText(HWND field, const std::string& utf8Text) {
    std::wstring units = wide(utf8Text);
    const LRESULT expected = wideTextLength(field) + static_cast<LRESULT>(units.size());
    for (wchar_t unit : units) {
        PostMessageW(field, WM_CHAR, unit, 1);
    }
    // Each unit typed adds one to the field's length; the settle marker would race with the field's
    // own modified flag, which typing sets.
    for (DWORD waited = 0; wideTextLength(field) < expected; waited += 2) {
        if (waited >= WAIT_MS) {
            ADD_FAILURE() << "the field did not take the typed text";
            return;
        }
        Sleep(2);
    }
}

namespace {

struct NoticeSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK findNotice(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<NoticeSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && className(window) == "#32770" && windowText(window) == SETTINGS_TITLE &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND waitForSaveNotice(DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 5) {
        NoticeSearch search{GetCurrentProcessId(), nullptr};
        EnumWindows(findNotice, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr || waited >= timeoutMs) {
            return search.found;
        }
        Sleep(5);
    }
}

std::string noticeText(HWND notice) {
    // A message box shows its text in the static control with the ID 0xFFFF.
    return windowText(GetDlgItem(notice, 0xFFFF));
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

// The settings window's costly moments under Wine, next to the bare cost of windows in the same run:
// opening it with 200 stations against creating its BUTTON windows (target 1.2x), and deleting one
// of the 200 against creating and destroying all the rows' windows (target 0.15x: a delete changes
// only the rows below it). Prints rows in the layout of script/bench's table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "window_driver.h"

namespace tandrel::testing {
namespace {

constexpr int RUNS = 11;
constexpr double OPEN_TARGET = 1.2;
constexpr double DELETE_TARGET = 0.15;
constexpr DWORD OPEN_WAIT_MS = 60000;

double millisecondsBetween(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Every BUTTON-class window below parent, at any depth.
int countButtons(HWND parent) {
    int count = 0;
    for (HWND child : children(parent)) {
        if (className(child) == "Button")
            ++count;
        count += countButtons(child);
    }
    return count;
}

// Milliseconds to create count BUTTON windows with the dialog font inside a hidden top-level
// window: the floor under anything that shows that many controls. With destroyToo, the time to
// destroy them again is counted as well (a rebuild does both).
double bareButtonMilliseconds(int count, bool destroyToo = false) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 468, 690, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < count; ++i) {
        HWND button = CreateWindowExA(0, "BUTTON", "Genre | Station", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                      4, 4 + 26 * (i % 20), 400, 20, parent, reinterpret_cast<HMENU>(200 + i),
                                      GetModuleHandleA(nullptr), nullptr);
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
    }
    if (destroyToo) {
        for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
             child = GetWindow(parent, GW_CHILD)) {
            DestroyWindow(child);
        }
    }
    QueryPerformanceCounter(&end);
    DestroyWindow(parent);
    return millisecondsBetween(start, end);
}

struct Figures {
    double openMs = 0;
    int openButtons = 0;
    double rebuildMs = 0;
};

[[noreturn]] void giveUp(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 1);
    std::abort();
}

// One opening with 200 stations: the time until the window is visible with all its controls, and
// the time of one delete of the first station (the row sync, the shift and the rows' update).
Figures measureWindow(PluginUnderTest& plugin) {
    Figures figures;
    // On a thread that has had a window, as the client's GUI thread has.
    ConfigureCall call(plugin.p(), nullptr, ConfigureCall::THREAD_THAT_HAD_A_WINDOW);
    HWND window = call.waitForWindow(OPEN_WAIT_MS);
    if (window == nullptr) {
        giveUp("the settings window did not open");
    }
    figures.openMs = call.openMilliseconds();
    figures.openButtons = countButtons(window);
    HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    LARGE_INTEGER deleteStart, deleteEnd;
    QueryPerformanceCounter(&deleteStart);
    click(GetDlgItem(pane, 400));
    QueryPerformanceCounter(&deleteEnd);
    figures.rebuildMs = millisecondsBetween(deleteStart, deleteEnd);
    click(dialogItem(window, 2));
    if (!call.waitForReturn()) {
        giveUp("the configure call did not return");
    }
    return figures;
}

void printRow(const char* name, double milliseconds, double target, double bareMilliseconds,
              const char* bare) {
    double ratio = milliseconds / bareMilliseconds;
    double budget = target * bareMilliseconds * 1000.0;
    std::printf("%-40s %14.2f %12.0f %8s   %.2fx (target %.2fx) the bare cost of %s (%.0f us)\n", name,
                milliseconds * 1000.0, budget, ratio <= target ? "ok" : "over", ratio, target, bare,
                bareMilliseconds * 1000.0);
}

}  // namespace
}  // namespace tandrel::testing

int main() {
    using namespace tandrel::testing;
    PluginUnderTest plugin(1, 0, 0, numberedStations(200));
    std::vector<double> open, remove, bareOpen, bareRows;
    Figures figures;
    measureWindow(plugin);  // warm-up: classes, fonts and the display's first use
    const int rowWindows = 2 * 200;
    for (int run = 0; run < RUNS; ++run) {
        figures = measureWindow(plugin);
        open.push_back(figures.openMs);
        remove.push_back(figures.rebuildMs);
        bareOpen.push_back(bareButtonMilliseconds(figures.openButtons));
        bareRows.push_back(bareButtonMilliseconds(rowWindows, true));
    }
    const std::string openBare = "creating its " + std::to_string(figures.openButtons) + " BUTTON windows";
    const std::string rowsBare = "creating and destroying the " + std::to_string(rowWindows) + " row windows";
    printRow("settings window open, 200 stations", median(open), OPEN_TARGET, median(bareOpen),
             openBare.c_str());
    printRow("settings window delete one of 200", median(remove), DELETE_TARGET, median(bareRows),
             rowsBare.c_str());
    plugin.unload();
    return 0;
}

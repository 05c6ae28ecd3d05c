// The settings window's costly moments under Wine, next to the bare cost of the windows they make:
// opening it with 200 stations, and rebuilding the rows after a delete, each against creating the
// same number of BUTTON windows in the same run. Prints rows in the layout of script/bench's table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "window_driver.h"

namespace tandrel::testing {
namespace {

constexpr int RUNS = 5;
constexpr double RATIO_TARGET = 1.5;

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
    int rebuildButtons = 0;
};

// One opening with 200 stations: the time until the window is visible with all its controls, and
// the time of one delete (the row sync, the shift and the rebuild of 199 rows).
Figures measureWindow(PluginUnderTest& plugin) {
    Figures figures;
    LARGE_INTEGER start, visible;
    QueryPerformanceCounter(&start);
    ConfigureCall call(plugin.p());
    HWND window = nullptr;
    // Polled without sleeping: the window's own thread runs on the other core.
    for (int spins = 0; window == nullptr && spins < 200000000; ++spins) {
        window = settingsWindow();
    }
    QueryPerformanceCounter(&visible);
    if (window == nullptr) {
        std::fprintf(stderr, "the settings window did not open\n");
        std::exit(1);
    }
    settle(window);
    figures.openMs = millisecondsBetween(start, visible);
    figures.openButtons = countButtons(window);
    HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    LARGE_INTEGER deleteStart, deleteEnd;
    QueryPerformanceCounter(&deleteStart);
    click(GetDlgItem(pane, 400));
    QueryPerformanceCounter(&deleteEnd);
    figures.rebuildMs = millisecondsBetween(deleteStart, deleteEnd);
    figures.rebuildButtons = countButtons(pane);
    click(dialogItem(window, 2));
    call.waitForReturn();
    return figures;
}

void printRow(const char* name, double milliseconds, double bareMilliseconds, int buttons) {
    double ratio = milliseconds / bareMilliseconds;
    double budget = RATIO_TARGET * bareMilliseconds * 1000.0;
    std::printf("%-40s %14.2f %12.0f %8s   %.2fx the bare cost of %d BUTTON windows (%.0f us)\n", name,
                milliseconds * 1000.0, budget, ratio <= RATIO_TARGET ? "ok" : "over", ratio, buttons,
                bareMilliseconds * 1000.0);
}

}  // namespace
}  // namespace tandrel::testing

int main() {
    using namespace tandrel::testing;
    PluginUnderTest plugin(1, 0, 0, numberedStations(200));
    std::vector<double> open, rebuild, bareOpen, bareRebuild, bareReplace;
    Figures figures;
    measureWindow(plugin);  // warm-up: classes, fonts and the display's first use
    for (int run = 0; run < RUNS; ++run) {
        figures = measureWindow(plugin);
        open.push_back(figures.openMs);
        rebuild.push_back(figures.rebuildMs);
        bareOpen.push_back(bareButtonMilliseconds(figures.openButtons));
        bareRebuild.push_back(bareButtonMilliseconds(figures.rebuildButtons));
        bareReplace.push_back(bareButtonMilliseconds(figures.rebuildButtons, true));
    }
    printRow("settings window open, 200 stations", median(open), median(bareOpen), figures.openButtons);
    printRow("settings window delete, 199 rows rebuilt", median(rebuild), median(bareRebuild),
             figures.rebuildButtons);
    std::printf("%-40s %14.2f   (creating and destroying %d BUTTON windows, for comparison)\n",
                "bare create and destroy, same count", median(bareReplace) * 1000.0, figures.rebuildButtons);
    plugin.unload();
    return 0;
}

#include "ui/save_failure_notice.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "host/host_functions.h"
#include "settings/config_file.h"
#include "settings/settings_platform.h"

namespace tandrel {
namespace {

// German spelled in ASCII like the window's texts; the caption is also how a shutdown finds it.
constexpr const wchar_t* SAVE_FAILURE_CAPTION = L"Tandrel Einstellungen";
constexpr const wchar_t* SAVE_FAILURE_TEXT =
    L"Die Einstellungen gelten bis zum Neustart des Clients, konnten aber nicht gespeichert werden:\n";
constexpr int SAVE_FAILURE_TEXT_SIZE = 512;  // the text above and a path of CONFIG_PATH_SIZE
constexpr std::size_t SAVE_FAILURE_LINE_SIZE = 1024;
constexpr const char* MESSAGE_BOX_CLASS = "#32770";

void logSaveFailure(const char* path) {
    char utf8Path[platform::UTF8_BYTES_PER_ANSI_BYTE * CONFIG_PATH_SIZE];
    platform::ansiToUtf8(path, utf8Path, sizeof utf8Path);
    char line[SAVE_FAILURE_LINE_SIZE];
    std::snprintf(line, sizeof line,
                  "Tandrel: could not save the settings to %s; they apply until the client restarts",
                  utf8Path);
    host::logMessage(line, LogLevel_WARNING, 0);
}

void showSaveFailureNotice(const char* path) {
    static_assert(SAVE_FAILURE_TEXT_SIZE > 100 + CONFIG_PATH_SIZE, "the text and the longest path fit");
    wchar_t text[SAVE_FAILURE_TEXT_SIZE] = {};
    int length = static_cast<int>(std::wcslen(SAVE_FAILURE_TEXT));
    std::wmemcpy(text, SAVE_FAILURE_TEXT, static_cast<std::size_t>(length));
    // The path comes from the environment, in the ANSI code page.
    MultiByteToWideChar(CP_ACP, 0, path, -1, text + length, SAVE_FAILURE_TEXT_SIZE - length);
    MessageBoxW(nullptr, text, SAVE_FAILURE_CAPTION, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

BOOL CALLBACK closeIfSaveFailureNotice(HWND window, LPARAM) {
    char className[16] = {};
    wchar_t caption[32] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextW(window, caption, 32);
    if (std::strcmp(className, MESSAGE_BOX_CLASS) == 0 && std::wcscmp(caption, SAVE_FAILURE_CAPTION) == 0) {
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

}  // namespace

void reportSaveFailure() {
    char path[CONFIG_PATH_SIZE];
    composeConfigFilePath(path);  // a path that does not fit is named as far as it goes
    logSaveFailure(path);
    showSaveFailureNotice(path);
}

void closeSaveFailureNotices(DWORD threadId) {
    EnumThreadWindows(threadId, closeIfSaveFailureNotice, 0);
}

}  // namespace tandrel

// The few operating-system services the settings store needs beyond the C library: the lock behind
// SettingsGuard, where the file lives, putting a completely written file in place of the old one, and
// reading text of the system's ANSI code page.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace tandrel::platform {

void lockSettings();
void unlockSettings();

// The folder of the client's plug-ins, where the settings file lives, ending in the path separator:
// on Windows "%APPDATA%\\TS3Client\\plugins\\" (empty without APPDATA: the client's working folder),
// elsewhere "plugins/" in the configuration folder the host reports. False when there is no such folder or
// its path does not fit into capacity bytes.
bool pluginFolder(char* folder, std::size_t capacity);

// Pushes a written file's data to the disk, so that a power cut after the replace cannot leave an
// empty file behind. True on success.
bool flushFileToDisk(std::FILE* file);

// Replaces target with source in one step; on failure target is left untouched. True on success.
bool replaceFile(const char* source, const char* target);

// No byte of an ANSI code page becomes more than three bytes of UTF-8.
inline constexpr std::size_t UTF8_BYTES_PER_ANSI_BYTE = 3;
inline constexpr std::size_t ANSI_TEXT_LIMIT = 1024;

// Writes text, read in the system's ANSI code page, into out as UTF-8 and terminates it; returns the
// length written. Windows reads it in the code page of the system's language settings; elsewhere,
// with no such setting, in Windows-1252, the code page of the Western European systems the plug-in
// serves. Only the first ANSI_TEXT_LIMIT bytes are read, and what does not fit into out is cut at a
// character boundary. capacity must be at least 1.
std::size_t ansiToUtf8(std::string_view text, char* out, std::size_t capacity);

}  // namespace tandrel::platform

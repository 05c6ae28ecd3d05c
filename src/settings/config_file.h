// The configuration file "TandrelPlugin.ini": one "key=value" line per setting, in UTF-8, read once at
// start-up and rewritten whole when the user confirms the settings window.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

#include "settings/plugin_settings.h"

namespace tandrel {

// The system's path limit, NUL included.
#ifdef _WIN32
inline constexpr std::size_t CONFIG_PATH_SIZE = 260;
#else
inline constexpr std::size_t CONFIG_PATH_SIZE = 4096;
#endif
inline constexpr std::size_t CONFIG_LINE_SIZE = 512;  // longer lines arrive in pieces of 511 bytes
inline constexpr const char* CONFIG_FILE_NAME = "TandrelPlugin.ini";

// Fills pluginSettings from the file, with every fallback to the built-in stations. Never fails.
void loadSettings();

// Rewrites the file from pluginSettings. The new content goes to a temporary file beside it, which
// replaces the old file only once it is completely written; on any failure the old file stays as it
// was. True once the new file is in place; telling the user about a failure is the caller's part.
bool saveSettings();

// The file in the client's plug-in folder: "%APPDATA%\TS3Client\plugins\TandrelPlugin.ini" on Windows
// (the bare file name without APPDATA), "<configuration folder>plugins/TandrelPlugin.ini" elsewhere.
// False when there is no folder or the path does not fit: the plug-in then reads no file and writes none.
bool composeConfigFilePath(char (&path)[CONFIG_PATH_SIZE]);

// The reader, fed one piece at a time as fgets with a CONFIG_LINE_SIZE buffer hands them over.
struct ConfigReader {
    PluginSettings& settings;
    bool stationCountAccepted;
    int flagOnlyEnabled[MAX_STATIONS];  // from "station_<i>=<flag>" lines; used only without a count
};

// Clears the switches, the count and the flags of settings, and starts a reader on it.
void beginConfigRead(ConfigReader& reader);
// Applies one line (or one piece of a long line) to the record.
void readConfigLine(ConfigReader& reader, const char* line);
// Falls back to the built-in stations where the lines read gave no usable station table.
void finishConfigRead(ConfigReader& reader);

// The whole read of one file; a path of null or a file that cannot be opened gives the defaults.
void loadSettingsFromFile(PluginSettings& settings, const char* path);
// The same read over text in memory, split into pieces exactly as from a file.
void loadSettingsFromText(PluginSettings& settings, std::string_view text);

// Upper bound of the text that formatConfigText can produce, terminating NUL included.
std::size_t configTextCapacity();
// Writes the file's lines for settings into buffer; returns the text's length, or 0 when it does
// not fit into capacity.
std::size_t formatConfigText(const PluginSettings& settings, char* buffer, std::size_t capacity);

// Saves settings to path through a temporary file; true once the new file has replaced the old one.
bool saveSettingsToFile(const PluginSettings& settings, const char* path);

// The file operations of a save, replaceable so that tests can make each one fail in turn.
struct ConfigFileOperations {
    std::FILE* (*open)(const char* path, const char* mode);
    std::size_t (*write)(const void* data, std::size_t size, std::size_t count, std::FILE* file);
    int (*flush)(std::FILE* file);
    bool (*flushToDisk)(std::FILE* file);
    int (*close)(std::FILE* file);
    bool (*replace)(const char* source, const char* target);
    int (*remove)(const char* path);
};

extern ConfigFileOperations configFileOperations;
extern const ConfigFileOperations standardConfigFileOperations;

}  // namespace tandrel

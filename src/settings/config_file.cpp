#include "settings/config_file.h"

#include <cstring>

#include "base/bounded_copy.h"
#include "base/decimal.h"
#include "base/plugin_heap.h"
#include "base/utf8.h"
#include "settings/settings_platform.h"

namespace tandrel {

const ConfigFileOperations standardConfigFileOperations = {
    [](const char* path, const char* mode) { return std::fopen(path, mode); },
    [](const void* data, std::size_t size, std::size_t count, std::FILE* file) {
        return std::fwrite(data, size, count, file);
    },
    [](std::FILE* file) { return std::fflush(file); },
    platform::flushFileToDisk,
    [](std::FILE* file) { return std::fclose(file); },
    platform::replaceFile,
    [](const char* path) { return std::remove(path); },
};

ConfigFileOperations configFileOperations = standardConfigFileOperations;

namespace {

constexpr const char* TEMPORARY_SUFFIX = ".tmp";
constexpr int PATTERN_KEY_SIZE = 16;  // "%15[^=]": up to 15 characters and the NUL

// Scans one line the way sscanf matches a format: literals from the current position, numbers after
// optional white space. Each method advances only on success; a failed step ends the match.
class LineScanner {
  public:
    explicit LineScanner(const char* line) : position_(line) {}

    // A literal: every character must match in turn.
    bool literal(std::string_view text) {
        for (char expected : text) {
            if (*position_ != expected) {
                return false;
            }
            ++position_;
        }
        return true;
    }

    // "%d": white space, an optional sign, then at least one digit, up to the first non-digit. A
    // number outside the range of int does not match (sscanf leaves that case undefined).
    bool decimal(int& value) {
        const DecimalReading reading = readDecimal(position_);
        if (!reading.hasDigits || !reading.fitsInt) {
            return false;
        }
        value = reading.value;
        position_ += reading.length;
        return true;
    }

    // "%15[^=]": one to 15 characters other than "=".
    bool keyUpToEquals(char (&key)[PATTERN_KEY_SIZE]) {
        int length = 0;
        while (length < PATTERN_KEY_SIZE - 1 && position_[length] != '\0' && position_[length] != '=') {
            key[length] = position_[length];
            ++length;
        }
        if (length == 0) {
            return false;
        }
        key[length] = '\0';
        position_ += length;
        return true;
    }

  private:
    const char* position_;
};

// Counts and indexes are tested as unsigned numbers, so negative values fail the range test.
bool isAcceptedCount(int value) {
    return static_cast<unsigned int>(value) <= MAX_STATIONS;
}
bool isAcceptedIndex(int value) {
    return static_cast<unsigned int>(value) < MAX_STATIONS;
}

bool matchSwitch(const char* line, std::string_view key, int& value) {
    LineScanner scanner(line);
    return scanner.literal(key) && scanner.literal("=") && scanner.decimal(value);
}

// "station_%d_enabled=%d"
bool matchEnabledLine(const char* line, int& index, int& value) {
    LineScanner scanner(line);
    return scanner.literal("station_") && scanner.decimal(index) && scanner.literal("_enabled=") &&
           scanner.decimal(value);
}

// "station_%d_%15[^=]=": the trailing "=" is not needed for the two conversions to succeed.
bool matchTextLine(const char* line, int& index, char (&key)[PATTERN_KEY_SIZE]) {
    LineScanner scanner(line);
    return scanner.literal("station_") && scanner.decimal(index) && scanner.literal("_") &&
           scanner.keyUpToEquals(key);
}

// "station_%d=%d", the flag-only form.
bool matchFlagOnlyLine(const char* line, int& index, int& value) {
    LineScanner scanner(line);
    return scanner.literal("station_") && scanner.decimal(index) && scanner.literal("=") &&
           scanner.decimal(value);
}

// The value of a text line: everything after the first "=", without trailing line breaks.
bool textLineValue(const char* line, std::string_view& value) {
    const char* equals = std::strchr(line, '=');
    if (equals == nullptr) {
        return false;
    }
    std::string_view text(equals + 1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    value = text;
    return true;
}

// A line longer than the reader's buffer arrives in pieces, and the first piece may end inside a
// character.
bool isCutPiece(const char* line) {
    std::size_t length = std::strlen(line);
    return length == CONFIG_LINE_SIZE - 1 && line[length - 1] != '\n';
}

// Stores a label or URL as UTF-8. A value that is not UTF-8 comes from a file written in the ANSI code
// page (by hand, or by an earlier build) and is read in it, so that the next save writes it as UTF-8.
template <std::size_t N>
void storeText(char (&field)[N], std::string_view value, bool cutPiece) {
    std::string_view whole = cutPiece ? value.substr(0, utf8::completeLength(value)) : value;
    if (utf8::isValid(whole)) {
        copyBounded(field, whole);
        return;
    }
    char decoded[platform::UTF8_BYTES_PER_ANSI_BYTE * CONFIG_LINE_SIZE];
    std::size_t length = platform::ansiToUtf8(value, decoded, sizeof decoded);
    copyBounded(field, std::string_view(decoded, length));
}

void applyTextLine(PluginSettings& settings, const char* line, int index, const char* key) {
    std::string_view value;
    if (!textLineValue(line, value)) {
        return;
    }
    if (std::strcmp(key, "label") == 0) {
        storeText(settings.stations[index].label, value, isCutPiece(line));
    } else if (std::strcmp(key, "url") == 0) {
        storeText(settings.stations[index].url, value, isCutPiece(line));
    }
}

// Hands text to the reader in the pieces that fgets would make of a file holding it: up to and
// including a line feed, or CONFIG_LINE_SIZE - 1 bytes, whichever comes first. As with fgets, a NUL
// byte ends the piece's text early.
void readPieces(ConfigReader& reader, std::string_view text) {
    char piece[CONFIG_LINE_SIZE];
    while (!text.empty()) {
        std::size_t length = 0;
        while (length < CONFIG_LINE_SIZE - 1 && length < text.size()) {
            piece[length] = text[length];
            ++length;
            if (piece[length - 1] == '\n') {
                break;
            }
        }
        piece[length] = '\0';
        readConfigLine(reader, piece);
        text.remove_prefix(length);
    }
}

bool composeTemporaryPath(const char* path, char (&temporary)[CONFIG_PATH_SIZE]) {
    int length = std::snprintf(temporary, sizeof temporary, "%s%s", path, TEMPORARY_SUFFIX);
    return length > 0 && static_cast<std::size_t>(length) < sizeof temporary;
}

// Writes text to a new file at temporaryPath and closes it; true only when every step succeeded.
bool writeWholeFile(const char* temporaryPath, const char* text, std::size_t length) {
    const ConfigFileOperations& io = configFileOperations;
    std::FILE* file = io.open(temporaryPath, "w");
    if (file == nullptr) {
        return false;
    }
    bool written = length == 0 || io.write(text, 1, length, file) == length;
    written = written && io.flush(file) == 0 && io.flushToDisk(file);
    bool closed = io.close(file) == 0;
    return written && closed;
}

// Writes the new file beside the old one, then swaps it in. The temporary file never outlives a
// failure, and the old file is only ever replaced whole.
bool replaceConfigFile(const char* path, const char* text, std::size_t length) {
    char temporaryPath[CONFIG_PATH_SIZE];
    if (!composeTemporaryPath(path, temporaryPath)) {
        return false;
    }
    if (!writeWholeFile(temporaryPath, text, length) || !configFileOperations.replace(temporaryPath, path)) {
        configFileOperations.remove(temporaryPath);
        return false;
    }
    return true;
}

// Frees a heap buffer on every path out of a save.
struct HeapBuffer {
    explicit HeapBuffer(std::size_t size) : data(static_cast<char*>(allocateBlock(size))) {}
    ~HeapBuffer() { releaseBlock(data); }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;
    char* data;
};

}  // namespace

bool composeConfigFilePath(char (&path)[CONFIG_PATH_SIZE]) {
    char folder[CONFIG_PATH_SIZE];
    if (!platform::pluginFolder(folder, sizeof folder)) {
        return false;
    }
    int length = std::snprintf(path, sizeof path, "%s%s", folder, CONFIG_FILE_NAME);
    return length > 0 && static_cast<std::size_t>(length) < sizeof path;
}

void beginConfigRead(ConfigReader& reader) {
    PluginSettings& settings = reader.settings;
    settings.showServerInfo = 0;
    settings.showChannelInfo = 0;
    settings.showClientInfo = 0;
    settings.stationCount = 0;
    std::memset(settings.stationEnabled, 0, sizeof settings.stationEnabled);
    reader.stationCountAccepted = false;
    std::memset(reader.flagOnlyEnabled, 0, sizeof reader.flagOnlyEnabled);
}

void readConfigLine(ConfigReader& reader, const char* line) {
    PluginSettings& settings = reader.settings;
    int value = 0;
    int index = 0;
    char key[PATTERN_KEY_SIZE];

    // Every pattern is tried on every line; a line may match more than one.
    if (matchSwitch(line, "show_server_info", value)) {
        settings.showServerInfo = value;
    }
    if (matchSwitch(line, "show_channel_info", value)) {
        settings.showChannelInfo = value;
    }
    if (matchSwitch(line, "show_client_info", value)) {
        settings.showClientInfo = value;
    }
    if (matchSwitch(line, "station_count", value) && isAcceptedCount(value)) {
        settings.stationCount = value;
        reader.stationCountAccepted = true;
    }
    if (matchEnabledLine(line, index, value) && isAcceptedIndex(index)) {
        settings.stationEnabled[index] = value;
    }
    if (matchTextLine(line, index, key) && isAcceptedIndex(index)) {
        applyTextLine(settings, line, index, key);
    }
    if (matchFlagOnlyLine(line, index, value) && isAcceptedIndex(index)) {
        reader.flagOnlyEnabled[index] = value;
    }
}

void finishConfigRead(ConfigReader& reader) {
    PluginSettings& settings = reader.settings;
    if (!reader.stationCountAccepted) {
        // Without a count the built-in stations stand, flagged by the flag-only lines alone.
        resetToDefaultStations(settings);
        for (int i = 0; i < settings.stationCount; ++i) {
            settings.stationEnabled[i] = reader.flagOnlyEnabled[i];
        }
    } else if (settings.stationCount == 0 || settings.stations[0].label[0] == '\0') {
        resetToDefaultStations(settings);
    }
}

void loadSettingsFromFile(PluginSettings& settings, const char* path) {
    ConfigReader reader{settings, false, {}};
    beginConfigRead(reader);
    std::FILE* file = path != nullptr ? std::fopen(path, "r") : nullptr;
    if (file == nullptr) {
        resetToDefaultStations(settings);
        return;
    }
    char line[CONFIG_LINE_SIZE];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        readConfigLine(reader, line);
    }
    std::fclose(file);
    finishConfigRead(reader);
}

void loadSettingsFromText(PluginSettings& settings, std::string_view text) {
    ConfigReader reader{settings, false, {}};
    beginConfigRead(reader);
    readPieces(reader, text);
    finishConfigRead(reader);
}

void loadSettings() {
    char path[CONFIG_PATH_SIZE];
    bool havePath = composeConfigFilePath(path);
    SettingsGuard guard;
    loadSettingsFromFile(pluginSettings, havePath ? path : nullptr);
}

std::size_t configTextCapacity() {
    // The longest lines: a switch or count line with the most negative int, and a station's three
    // lines with a three-digit index, a full label, a full URL and the most negative flag.
    constexpr std::size_t headerLines = 4 * (sizeof "show_channel_info=-2147483648\n");
    constexpr std::size_t stationLines = (sizeof "station_199_label=\n" + STATION_LABEL_SIZE) +
                                         (sizeof "station_199_url=\n" + STATION_URL_SIZE) +
                                         sizeof "station_199_enabled=-2147483648\n";
    return headerLines + MAX_STATIONS * stationLines + 1;
}

std::size_t formatConfigText(const PluginSettings& settings, char* buffer, std::size_t capacity) {
    std::size_t length = 0;
    bool fits = true;
    auto append = [&](const char* format, auto... values) {
        if (!fits) {
            return;
        }
        int written = std::snprintf(buffer + length, capacity - length, format, values...);
        fits = written >= 0 && static_cast<std::size_t>(written) < capacity - length;
        if (fits) {
            length += static_cast<std::size_t>(written);
        }
    };
    append("show_server_info=%d\n", settings.showServerInfo);
    append("show_channel_info=%d\n", settings.showChannelInfo);
    append("show_client_info=%d\n", settings.showClientInfo);
    append("station_count=%d\n", settings.stationCount);
    int count = settings.stationCount < 0              ? 0
                : settings.stationCount > MAX_STATIONS ? MAX_STATIONS
                                                       : settings.stationCount;
    for (int i = 0; i < count; ++i) {
        // The precisions keep a field that lost its NUL from being read past its end.
        append("station_%d_label=%.63s\n", i, settings.stations[i].label);
        append("station_%d_url=%.255s\n", i, settings.stations[i].url);
        append("station_%d_enabled=%d\n", i, settings.stationEnabled[i]);
    }
    return fits ? length : 0;
}

namespace {

// The one save: format writes the text into a buffer of configTextCapacity() bytes and returns its
// length (0 when it did not fit), and the text replaces the file at path.
template <typename Format>
bool saveFormattedText(const char* path, Format format) {
    HeapBuffer text(configTextCapacity());
    if (text.data == nullptr) {
        return false;
    }
    const std::size_t length = format(text.data);
    return length > 0 && replaceConfigFile(path, text.data, length);
}

}  // namespace

bool saveSettingsToFile(const PluginSettings& settings, const char* path) {
    return saveFormattedText(
        path, [&settings](char* text) { return formatConfigText(settings, text, configTextCapacity()); });
}

bool saveSettings() {
    char path[CONFIG_PATH_SIZE];
    if (!composeConfigFilePath(path)) {
        return false;
    }
    return saveFormattedText(path, [](char* text) {
        // Only the formatting needs the guard; the file is written without holding it.
        SettingsGuard guard;
        return formatConfigText(pluginSettings, text, configTextCapacity());
    });
}

}  // namespace tandrel

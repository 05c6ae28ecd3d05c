// Fuzzes the configuration reader with arbitrary file content and checks, after every input, what
// every later reader of the record relies on:
// - the station count is 1 to 200 and station 0 has a label (the reader falls back to the built-in
//   stations otherwise);
// - every label and URL of all 200 entries is terminated inside its field and is UTF-8, whatever
//   bytes the file held;
// - reading the text from memory gives the same record, byte for byte, as reading it through fgets
//   with the reader's line buffer, the way the plug-in reads the file;
// - the record saves and loads back to itself, within what the file cannot keep: a label or URL cut
//   to its field may end in CR or LF, which the next read strips (and a first label made only of them
//   then gives the built-in stations), and entries beyond the count are not written.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.h"
#include "settings/config_file.h"
#include "settings_builders.h"

namespace {

using namespace tandrel;

[[noreturn]] void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "config reader invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

bool terminatedInside(const char* field, std::size_t size) {
    return std::memchr(field, '\0', size) != nullptr;
}

void checkRecord(const PluginSettings& settings) {
    if (settings.stationCount < 1 || settings.stationCount > MAX_STATIONS) {
        fail("station count out of range", std::to_string(settings.stationCount));
    }
    for (int i = 0; i < MAX_STATIONS; ++i) {
        if (!terminatedInside(settings.stations[i].label, STATION_LABEL_SIZE)) {
            fail("label not terminated", std::to_string(i));
        }
        if (!terminatedInside(settings.stations[i].url, STATION_URL_SIZE)) {
            fail("url not terminated", std::to_string(i));
        }
        if (!utf8::isValid(settings.stations[i].label) || !utf8::isValid(settings.stations[i].url)) {
            fail("label or url not UTF-8", std::to_string(i));
        }
    }
    if (settings.stations[0].label[0] == '\0') {
        fail("station 0 has no label");
    }
}

// The plug-in's own way of reading the file: fgets into a CONFIG_LINE_SIZE buffer.
void loadThroughFgets(PluginSettings& settings, const std::uint8_t* data, std::size_t size) {
    ConfigReader reader{settings, false, {}};
    beginConfigRead(reader);
    if (size > 0) {
        std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
        if (file == nullptr) {
            fail("fmemopen");
        }
        char line[CONFIG_LINE_SIZE];
        while (std::fgets(line, sizeof line, file) != nullptr) {
            readConfigLine(reader, line);
        }
        std::fclose(file);
    }
    finishConfigRead(reader);
}

void stripTrailingLineBreaks(char* text) {
    std::size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) {
        text[--length] = '\0';
    }
}

// What a save of settings reads back as.
std::unique_ptr<PluginSettings> expectedAfterSave(const PluginSettings& settings) {
    auto expected = std::make_unique<PluginSettings>(settings);
    for (int i = 0; i < expected->stationCount; ++i) {
        stripTrailingLineBreaks(expected->stations[i].label);
        stripTrailingLineBreaks(expected->stations[i].url);
    }
    if (expected->stationCount == 0 || expected->stations[0].label[0] == '\0') {
        resetToDefaultStations(*expected);
    }
    return expected;
}

// Records and the writer's buffer are reused from input to input and cleared each time, as the
// plug-in's record is all zero when it loads.
PluginSettings fromText;
PluginSettings fromFile;
PluginSettings reloaded;
std::vector<char> saved(configTextCapacity());

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    fromText = PluginSettings{};
    loadSettingsFromText(fromText, text);
    checkRecord(fromText);

    fromFile = PluginSettings{};
    loadThroughFgets(fromFile, data, size);
    if (std::memcmp(&fromText, &fromFile, sizeof(PluginSettings)) != 0) {
        fail("reading from memory and through fgets disagree",
             testing::settingsDifference(fromText, fromFile));
    }

    std::size_t length = formatConfigText(fromText, saved.data(), saved.size());
    if (length == 0) {
        fail("a loaded record does not fit the writer's buffer");
    }
    reloaded = PluginSettings{};
    loadSettingsFromText(reloaded, std::string_view(saved.data(), length));
    std::string difference = testing::settingsDifference(reloaded, *expectedAfterSave(fromText));
    if (!difference.empty()) {
        fail("saved record does not load back to itself:", difference);
    }
    return 0;
}

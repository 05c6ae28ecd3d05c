// Building and comparing settings records in tests.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "settings/plugin_settings.h"

namespace tandrel::testing {

// A zeroed record on the heap (a record is 64 KiB).
std::unique_ptr<PluginSettings> emptySettings();

// The built-in stations with the three switches off; only the listed stations enabled, or all.
std::unique_ptr<PluginSettings> defaultSettings();
std::unique_ptr<PluginSettings> defaultSettingsEnabling(const std::set<int>& enabled);

// Appends a station at index stationCount.
void appendStation(PluginSettings& settings, const std::string& label, const std::string& url, int enabled);

// Empty when the meaningful parts (switches, count, stations below the count) are equal; else a
// description of the first difference.
std::string settingsDifference(const PluginSettings& actual, const PluginSettings& expected);

}  // namespace tandrel::testing

// The radio stations the plug-in ships with, used whenever the configuration file gives none.
#pragma once

#include <array>

namespace tandrel {

struct DefaultStation {
    const char* label;  // "genre | name"
    const char* url;    // https stream address, at most 255 bytes
};

inline constexpr int DEFAULT_STATION_COUNT = 51;

extern const std::array<DefaultStation, DEFAULT_STATION_COUNT> defaultStations;

}  // namespace tandrel

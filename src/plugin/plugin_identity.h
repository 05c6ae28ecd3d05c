// What the plug-in tells the host about itself. The connection log's "loaded" line uses the same texts.
#pragma once

namespace tandrel {

inline constexpr const char* PLUGIN_NAME = "Tandrel Plugin";
inline constexpr const char* PLUGIN_VERSION = "1.0";
inline constexpr const char* PLUGIN_AUTHOR = "Orvelle";
inline constexpr const char* PLUGIN_DESCRIPTION = "Tandrel TeamSpeak plugin";
inline constexpr const char* PLUGIN_INFO_TITLE = "Tandrel Info";

}  // namespace tandrel

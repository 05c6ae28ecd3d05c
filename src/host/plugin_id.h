// The ID the host registered the plug-in under: the first argument of every call that enables or
// disables one of the plug-in's menu items.
#pragma once

namespace tandrel {

// The plug-in's copy of the ID; null before registration, after shutdown, and when the host gave no
// ID or the copy could not be made. Menu items are only ever enabled or disabled while it is set.
extern char* pluginId;

// Keeps a copy of id, releasing an earlier one. True when the plug-in now has an ID.
bool keepPluginId(const char* id);

// Releases the ID; a second call does nothing.
void releasePluginId();

}  // namespace tandrel

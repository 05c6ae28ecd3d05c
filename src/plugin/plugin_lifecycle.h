// The plug-in's own ID from the host, and the lifecycle steps around it.
#pragma once

namespace tandrel {

// The plug-in's copy of the ID the host registered it under; null before registration and after
// shutdown. Menu items are only ever enabled or disabled while it is set.
extern char* pluginId;

// Keeps a copy of id (releasing an earlier one) and evaluates the admin gate on every open connection.
void registerPluginId(const char* id);

// Releases the ID; a second call does nothing.
void releasePluginId();

}  // namespace tandrel

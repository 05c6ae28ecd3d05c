// The few operating-system services the settings store needs beyond the C library: the lock behind
// SettingsGuard, and putting a completely written file in place of the old one.
#pragma once

#include <cstdio>

namespace tandrel::platform {

void lockSettings();
void unlockSettings();

// Pushes a written file's data to the disk, so that a power cut after the replace cannot leave an
// empty file behind. True on success.
bool flushFileToDisk(std::FILE* file);

// Replaces target with source in one step; on failure target is left untouched. True on success.
bool replaceFile(const char* source, const char* target);

}  // namespace tandrel::platform

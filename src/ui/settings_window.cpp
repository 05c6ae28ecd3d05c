#include "ui/settings_window.h"

namespace tandrel {

void openSettingsWindow() {}

void closeSettingsWindowForShutdown() {}

}  // namespace tandrel

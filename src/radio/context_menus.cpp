#include "radio/context_menus.h"

#include <array>
#include <cstring>

#include "base/bounded_copy.h"
#include "base/plugin_heap.h"
#include "host/host_functions.h"
#include "host/plugin_id.h"

namespace tandrel {

MenuLayout menuLayout{};

namespace {

constexpr std::array<const char*, FIXED_MENU_ITEM_COUNT> FIXED_ITEM_TEXTS = {
    "Radio | An", "Radio | Aus", "Channel Radio | An", "Channel Radio | Aus"};

// Maps the stations enabled now to menu positions, in table order.
void computeLayout(const PluginSettings& settings, MenuLayout& layout) {
    int n = 0;
    for (int i = 0; i < settings.stationCount; ++i) {
        if (settings.stationEnabled[i] != 0) {
            layout.menuStationMap[n++] = i;
        }
    }
    layout.enabledStationCount = n;
    layout.channelMenuBase = n + FIXED_MENU_ITEM_COUNT;
}

// One item for the host; null when the heap is exhausted.
PluginMenuItem* makeItem(int type, int id, const char* text) {
    auto* item = static_cast<PluginMenuItem*>(allocateBlock(sizeof(PluginMenuItem)));
    if (item != nullptr) {
        item->type = static_cast<PluginMenuType>(type);
        item->id = id;
        copyBounded(item->text, text);
        item->icon[0] = '\0';
    }
    return item;
}

// The four fixed items and the station items of one menu, starting at ID base.
void fillMenu(PluginMenuItem** slots, int type, int base, const MenuLayout& layout,
              const PluginSettings& settings) {
    for (int i = 0; i < FIXED_MENU_ITEM_COUNT; ++i) {
        slots[base + i] = makeItem(type, base + i, FIXED_ITEM_TEXTS[i]);
    }
    for (int k = 0; k < layout.enabledStationCount; ++k) {
        int id = base + FIXED_MENU_ITEM_COUNT + k;
        slots[id] = makeItem(type, id, settings.stations[layout.menuStationMap[k]].label);
    }
}

}  // namespace

void buildContextMenus(PluginMenuItem*** menuItems, char** menuIcon) {
    {
        // The stations and labels are read under the guard; the host is called only after it.
        SettingsGuard guard;
        computeLayout(pluginSettings, menuLayout);
        if (menuItems == nullptr) {
            return;
        }
        const int n = menuLayout.enabledStationCount;
        const int slotCount = 2 * n + 2 * FIXED_MENU_ITEM_COUNT + 1;
        auto** slots = static_cast<PluginMenuItem**>(allocateBlock(sizeof(PluginMenuItem*) * slotCount));
        *menuItems = slots;
        if (slots == nullptr) {
            return;
        }
        fillMenu(slots, PLUGIN_MENU_TYPE_CLIENT, 0, menuLayout, pluginSettings);
        fillMenu(slots, PLUGIN_MENU_TYPE_CHANNEL, menuLayout.channelMenuBase, menuLayout, pluginSettings);
        slots[slotCount - 1] = nullptr;
    }
    if (menuIcon != nullptr) {
        *menuIcon = nullptr;
    }
    if (pluginId == nullptr) {
        return;
    }
    forEachAdminItem(menuLayout, [](int id) { host::setPluginMenuEnabled(pluginId, id, 0); });
}

}  // namespace tandrel

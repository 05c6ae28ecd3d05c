// The radio items of the client and channel context menus, and the layout that maps menu item IDs
// back to commands and stations.
#pragma once

#include "host/host_api.h"
#include "settings/plugin_settings.h"

namespace tandrel {

// Fixed items at the start of each menu: "Radio | An", "Radio | Aus", "Channel Radio | An",
// "Channel Radio | Aus"; the station items follow.
inline constexpr int FIXED_MENU_ITEM_COUNT = 4;

// One ID space covers both menus: client items 0 to n + 3, channel items n + 4 to 2n + 7, where n is
// the number of enabled stations when the menus were built.
struct MenuLayout {
    int enabledStationCount;           // n
    int menuStationMap[MAX_STATIONS];  // entry k: table index of the k-th enabled station
    int channelMenuBase;               // n + 4, the ID of the first channel item
};

// Written only when the menus are built, on the host's thread; all zero before.
extern MenuLayout menuLayout;

// Builds both menus from the stations enabled now and hands them to the host; disables the admin
// items when the plug-in ID is known.
void buildContextMenus(PluginMenuItem*** menuItems, char** menuIcon);

// The admin items in the order the host is told about them: 2, 3, b + 2, b + 3, then for each
// station k the client item 4 + k and the channel item b + 4 + k. The personal items 0, 1, b and
// b + 1 are not among them.
template <typename Visit>
void forEachAdminItem(const MenuLayout& layout, Visit&& visit) {
    const int b = layout.channelMenuBase;
    visit(2);
    visit(3);
    visit(b + 2);
    visit(b + 3);
    for (int k = 0; k < layout.enabledStationCount; ++k) {
        visit(FIXED_MENU_ITEM_COUNT + k);
        visit(b + FIXED_MENU_ITEM_COUNT + k);
    }
}

}  // namespace tandrel

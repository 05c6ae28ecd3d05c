// Building the context menus: the layout, the items handed to the host, the disable calls, and
// every allocation that can fail.
#include <string>
#include <vector>

#include "heap_counter.h"
#include "plugin_test.h"
#include "settings_builders.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// The menus as the host received them; releases every block through ts3plugin_freeMemory as the
// host does, and counts them.
struct HandedMenus {
    PluginMenuItem** items = nullptr;
    char* icon = reinterpret_cast<char*>(0x1);  // the host's value before the call
    int released = 0;

    void build() { ts3plugin_initMenus(&items, &icon); }
    void releaseAll(int slots) {
        if (items == nullptr)
            return;
        for (int i = 0; i < slots; ++i) {
            if (items[i] != nullptr) {
                ts3plugin_freeMemory(items[i]);
                ++released;
            }
        }
        ts3plugin_freeMemory(items);
        ++released;
        items = nullptr;
    }
};

void setStations(int count, const std::vector<int>& disabled = {}) {
    for (int i = 0; i < count; ++i) {
        appendStation(pluginSettings, "Station " + std::to_string(i), "https://s" + std::to_string(i), 1);
    }
    for (int i : disabled)
        pluginSettings.stationEnabled[i] = 0;
}

struct LayoutCase {
    const char* name;
    int stations;
    std::vector<int> disabled;
    std::vector<int> expectedMap;  // empty: every station
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class MenuLayouts : public PluginTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(MenuLayouts, HandTheHostBothMenusAndDisableTheAdminItems) {
    const LayoutCase& c = GetParam();
    setStations(c.stations, c.disabled);
    std::vector<int> map = c.expectedMap;
    if (map.empty()) {
        for (int i = 0; i < c.stations; ++i)
            map.push_back(i);
    }
    const int n = static_cast<int>(map.size());
    const int b = n + 4;
    ts3plugin_registerPluginID("id");
    host.clearCalls();

    HeapCounter heap;
    HandedMenus menus;
    menus.build();

    EXPECT_EQ(menuLayout.enabledStationCount, n);
    EXPECT_EQ(menuLayout.channelMenuBase, b);
    EXPECT_THAT(std::vector<int>(menuLayout.menuStationMap, menuLayout.menuStationMap + n),
                ElementsAreArray(map));
    ASSERT_NE(menus.items, nullptr);
    EXPECT_EQ(menus.icon, nullptr);

    const char* fixed[] = {"Radio | An", "Radio | Aus", "Channel Radio | An", "Channel Radio | Aus"};
    for (int id = 0; id < 2 * n + 8; ++id) {
        const PluginMenuItem* item = menus.items[id];
        ASSERT_NE(item, nullptr) << "slot " << id;
        const bool client = id < b;
        const int relative = client ? id : id - b;
        EXPECT_EQ(item->type, client ? PLUGIN_MENU_TYPE_CLIENT : PLUGIN_MENU_TYPE_CHANNEL) << id;
        EXPECT_EQ(item->id, id);
        std::string text = relative < 4 ? fixed[relative] : "Station " + std::to_string(map[relative - 4]);
        EXPECT_EQ(std::string(item->text), text) << id;
        EXPECT_STREQ(item->icon, "");
    }
    EXPECT_EQ(menus.items[2 * n + 8], nullptr) << "the list ends with a null slot";

    std::vector<int> expectedDisables = {2, 3, b + 2, b + 3};
    for (int k = 0; k < n; ++k) {
        expectedDisables.push_back(4 + k);
        expectedDisables.push_back(b + 4 + k);
    }
    EXPECT_THAT(host.menuCallIds(), ElementsAreArray(expectedDisables));
    for (const auto& [id, enabled] : host.menuEnabled())
        EXPECT_EQ(enabled, 0) << id;
    for (const std::string& call : host.calls())
        EXPECT_EQ(call.rfind("setPluginMenuEnabled(\"id\",", 0), 0u);

    EXPECT_EQ(heap.sizes().front(), sizeof(PluginMenuItem*) * (2 * n + 9));
    menus.releaseAll(2 * n + 8);
    EXPECT_EQ(menus.released, heap.handedOut()) << "every block made is reachable from the array";
}

INSTANTIATE_TEST_SUITE_P(
    Stations, MenuLayouts,
    ::testing::Values(LayoutCase{"None", 0, {}, {}},
                      LayoutCase{"FiveWithSecondAndFourthDisabled", 5, {1, 3}, {0, 2, 4}},
                      LayoutCase{"FiftyOneDefaults", 51, {}, {}}, LayoutCase{"TwoHundred", 200, {}, {}}),
    [](const ::testing::TestParamInfo<LayoutCase>& c) { return std::string(c.param.name); });

TEST_F(PluginTest, NoEnabledStationGivesOnlyTheFixedItems) {
    setStations(3, {0, 1, 2});
    HandedMenus menus;
    menus.build();
    EXPECT_EQ(menuLayout.enabledStationCount, 0);
    EXPECT_EQ(menuLayout.channelMenuBase, 4);
    EXPECT_STREQ(menus.items[4]->text, "Radio | An");
    EXPECT_EQ(menus.items[8], nullptr);
    menus.releaseAll(8);
}

TEST_F(PluginTest, MenusBuiltBeforeRegistrationTouchNoItem) {
    setStations(5);
    HandedMenus menus;
    menus.build();
    EXPECT_THAT(host.calls(), IsEmpty());
    EXPECT_EQ(menuLayout.enabledStationCount, 5);
    menus.releaseAll(18);
}

TEST_F(PluginTest, StationLabelsOfFullLengthAreCopiedWhole) {
    appendStation(pluginSettings, std::string(63, 'L'), "u", 1);
    HandedMenus menus;
    menus.build();
    EXPECT_EQ(std::string(menus.items[4]->text), std::string(63, 'L'));
    EXPECT_EQ(std::string(menus.items[9]->text), std::string(63, 'L'));
    menus.releaseAll(10);
}

TEST_F(PluginTest, FailedArrayAllocationHandsNoMenuAndKeepsTheLayout) {
    setStations(5, {1, 3});
    ts3plugin_registerPluginID("id");
    host.clearCalls();
    HeapCounter heap({1});
    HandedMenus menus;
    menus.items = reinterpret_cast<PluginMenuItem**>(0x1);
    menus.build();
    EXPECT_EQ(menus.items, nullptr);
    EXPECT_EQ(menus.icon, reinterpret_cast<char*>(0x1)) << "the icon pointer is left as the host passed it";
    EXPECT_EQ(heap.attempts(), 1);
    EXPECT_THAT(host.calls(), IsEmpty()) << "nothing is disabled";
    EXPECT_EQ(menuLayout.enabledStationCount, 3);
    EXPECT_EQ(menuLayout.channelMenuBase, 7);
}

TEST_F(PluginTest, EachFailedItemLeavesOnlyItsSlotEmpty) {
    setStations(3);
    ts3plugin_registerPluginID("id");
    const int items = 2 * 3 + 8;
    // Allocation 1 is the array; allocations 2 to 15 are the items in creation order, which is ID order.
    for (int failing = 2; failing <= items + 1; ++failing) {
        host.clearCalls();
        HeapCounter heap({failing});
        HandedMenus menus;
        menus.build();
        ASSERT_NE(menus.items, nullptr);
        for (int id = 0; id < items; ++id) {
            EXPECT_EQ(menus.items[id] == nullptr, id == failing - 2)
                << "failing " << failing << " slot " << id;
        }
        EXPECT_EQ(menus.items[items], nullptr);
        EXPECT_EQ(host.menuCallIds().size(), 4u + 2 * 3) << "admin items are disabled by ID all the same";
        menus.releaseAll(items);
        EXPECT_EQ(menus.released, heap.handedOut());
    }
}

TEST_F(PluginTest, NullOutPointersFromTheHostAreSurvived) {
    setStations(2);
    ts3plugin_initMenus(nullptr, nullptr);
    EXPECT_EQ(menuLayout.enabledStationCount, 2);
    PluginMenuItem** items = nullptr;
    ts3plugin_initMenus(&items, nullptr);
    ASSERT_NE(items, nullptr);
    for (int i = 0; i < 12; ++i)
        ts3plugin_freeMemory(items[i]);
    ts3plugin_freeMemory(items);
}

TEST_F(PluginTest, RebuildingReplacesTheLayout) {
    setStations(4);
    HandedMenus first;
    first.build();
    first.releaseAll(16);
    pluginSettings.stationEnabled[0] = 0;
    HandedMenus second;
    second.build();
    EXPECT_EQ(menuLayout.enabledStationCount, 3);
    EXPECT_EQ(menuLayout.menuStationMap[0], 1);
    EXPECT_EQ(menuLayout.channelMenuBase, 7);
    second.releaseAll(14);
}

}  // namespace
}  // namespace tandrel::testing

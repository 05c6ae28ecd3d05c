// The settings window's working copy: made from the live settings, stations appended and removed as
// the window's form and delete buttons do it, and the commit back under the guard.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugin_test.h"
#include "settings/settings_draft.h"
#include "settings_builders.h"

namespace tandrel::testing {
namespace {

class DraftTest : public PluginTest {
  protected:
    DraftTest() : draft(std::make_unique<SettingsDraft>()) {}

    // The draft's stations as "label|url|tick" texts, in order.
    std::vector<std::string> stations() const {
        std::vector<std::string> texts;
        const PluginSettings& s = draft->settings;
        for (int i = 0; i < s.stationCount; ++i) {
            texts.push_back(std::string(s.stations[i].label) + "|" + s.stations[i].url + "|" +
                            std::to_string(s.stationEnabled[i]));
        }
        return texts;
    }

    std::unique_ptr<SettingsDraft> draft;
};

TEST_F(DraftTest, IsMadeFromTheLiveSettingsUnderTheGuard) {
    pluginSettings.showServerInfo = 1;
    pluginSettings.showClientInfo = 7;
    appendStation(pluginSettings, "Jazz", "https://j.example/", 1);
    appendStation(pluginSettings, "Rock", "https://r.example/", 0);
    std::strcpy(draft->settings.stations[2].label, "left by an earlier opening");
    const int before = host.settingsGuardAcquisitions();
    fillDraftFromLiveSettings(*draft);
    EXPECT_EQ(host.settingsGuardAcquisitions() - before, 1);
    EXPECT_EQ(draft->settings.showServerInfo, 1);
    EXPECT_EQ(draft->settings.showChannelInfo, 0);
    EXPECT_EQ(draft->settings.showClientInfo, 7);
    EXPECT_EQ(stations(),
              (std::vector<std::string>{"Jazz|https://j.example/|1", "Rock|https://r.example/|0"}));
    EXPECT_STREQ(draft->settings.stations[2].label, "left by an earlier opening") << "beyond the count";
}

struct AppendCase {
    std::string what;
    std::string name;
    std::string url;
    bool appended;
    std::string label;  // as stored, when appended
    std::string storedUrl;
};

TEST_F(DraftTest, AppendTakesTheTextsAsTheFormRulesSay) {
    const std::string name62(62, 'n');
    const std::string url254(254, 'u');
    const AppendCase cases[] = {
        {"plain", "Jazz | FIP", "https://fip.example/", true, "Jazz | FIP", "https://fip.example/"},
        {"blanks and tabs at the end go", "Jazz \t ", "https://j/\t", true, "Jazz", "https://j/"},
        {"leading blanks stay", "  Jazz", " https://j/", true, "  Jazz", " https://j/"},
        {"name too long is cut at 63", std::string(80, 'n'), "u", true, std::string(63, 'n'), "u"},
        {"URL too long is cut at 255", "n", std::string(300, 'u'), true, "n", std::string(255, 'u')},
        {"cut first, then trimmed", name62 + " x", url254 + " x", true, name62, url254},
        {"empty name", "", "https://j/", false, "", ""},
        {"name of blanks and tabs", " \t ", "https://j/", false, "", ""},
        {"empty URL", "Jazz", "", false, "", ""},
        {"URL of blanks", "Jazz", "   ", false, "", ""},
    };
    for (const AppendCase& c : cases) {
        draft->settings.stationCount = 1;
        EXPECT_EQ(appendStationToDraft(*draft, c.name, c.url), c.appended) << c.what;
        if (c.appended) {
            ASSERT_EQ(draft->settings.stationCount, 2) << c.what;
            EXPECT_EQ(draft->settings.stations[1].label, c.label) << c.what;
            EXPECT_EQ(draft->settings.stations[1].url, c.storedUrl) << c.what;
            EXPECT_EQ(draft->settings.stationEnabled[1], 1) << c.what;
        } else {
            EXPECT_EQ(draft->settings.stationCount, 1) << c.what;
        }
    }
}

TEST_F(DraftTest, AppendStopsAtTwoHundredStations) {
    draft->settings.stationCount = MAX_STATIONS - 1;
    EXPECT_TRUE(appendStationToDraft(*draft, "last", "https://l/"));
    EXPECT_EQ(draft->settings.stationCount, MAX_STATIONS);
    EXPECT_FALSE(appendStationToDraft(*draft, "one more", "https://m/"));
    EXPECT_EQ(draft->settings.stationCount, MAX_STATIONS);
    EXPECT_STREQ(draft->settings.stations[MAX_STATIONS - 1].label, "last");
}

TEST_F(DraftTest, RemoveMovesTheLaterStationsUpWithTheirTicks) {
    appendStation(draft->settings, "A", "https://a/", 1);
    appendStation(draft->settings, "B", "https://b/", 0);
    appendStation(draft->settings, "C", "https://c/", 1);
    appendStation(draft->settings, "D", "https://d/", 0);
    removeStationFromDraft(*draft, -1);
    removeStationFromDraft(*draft, 4);
    EXPECT_EQ(draft->settings.stationCount, 4) << "indexes outside the list change nothing";
    removeStationFromDraft(*draft, 1);
    EXPECT_EQ(stations(), (std::vector<std::string>{"A|https://a/|1", "C|https://c/|1", "D|https://d/|0"}));
    removeStationFromDraft(*draft, 2);
    EXPECT_EQ(stations(), (std::vector<std::string>{"A|https://a/|1", "C|https://c/|1"}));
    removeStationFromDraft(*draft, 0);
    removeStationFromDraft(*draft, 0);
    EXPECT_EQ(draft->settings.stationCount, 0);
}

TEST_F(DraftTest, CommitCopiesTheAcceptedSwitchesAndTheStationsUnderTheGuard) {
    appendStation(pluginSettings, "old 0", "https://o0/", 1);
    appendStation(pluginSettings, "old 1", "https://o1/", 1);
    appendStation(pluginSettings, "old 2", "https://o2/", 1);
    draft->settings.showServerInfo = 1;  // the creation states do not count, the accepted ones do
    draft->acceptedInfo = {0, 1, 1};
    appendStation(draft->settings, "new 0", "https://n0/", 0);
    appendStation(draft->settings, "new 1", "https://n1/", 1);
    const int before = host.settingsGuardAcquisitions();
    commitDraftToLiveSettings(*draft);
    EXPECT_EQ(host.settingsGuardAcquisitions() - before, 1);
    auto expected = emptySettings();
    expected->showChannelInfo = 1;
    expected->showClientInfo = 1;
    appendStation(*expected, "new 0", "https://n0/", 0);
    appendStation(*expected, "new 1", "https://n1/", 1);
    EXPECT_EQ(settingsDifference(pluginSettings, *expected), "");
    EXPECT_STREQ(pluginSettings.stations[2].label, "old 2") << "beyond the new count, as it was";
}

}  // namespace
}  // namespace tandrel::testing

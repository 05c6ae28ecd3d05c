// The station pane and the add form: ticks through deletes and adds, the shifting of the list,
// what the add command takes from the fields, the station limit, and scrolling.
#include <gtest/gtest.h>

#include "expected_layout.h"
#include "window_driver.h"

namespace tandrel::testing {
namespace {

struct Row {
    std::string label;
    bool ticked;
    bool operator==(const Row& other) const { return label == other.label && ticked == other.ticked; }
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << "{\"" << row.label << "\", " << row.ticked << "}";
}

// A window open on a plug-in started with the given stations.
class StationListTest : public ::testing::Test {
  protected:
    void open(const std::vector<TestStation>& stations) {
        plugin = std::make_unique<PluginUnderTest>(0, 0, 0, stations);
        call = std::make_unique<ConfigureCall>(plugin->p());
        window = call->waitForWindow();
        ASSERT_NE(window, nullptr);
        pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
        ASSERT_NE(pane, nullptr);
    }

    void TearDown() override {
        if (call != nullptr && !call->returned()) {
            click(dialogItem(window, 2));
            EXPECT_TRUE(call->waitForReturn());
        }
        call.reset();
        plugin.reset();
    }

    std::vector<Row> rows() {
        std::vector<Row> result;
        std::vector<HWND> controls = children(pane);
        for (std::size_t k = 0; k + 1 < controls.size(); k += 2) {
            result.push_back({windowText(controls[k]), isChecked(controls[k])});
        }
        return result;
    }

    void add(const std::string& name, const std::string& url) {
        setText(dialogItem(window, 601), name);
        setText(dialogItem(window, 602), url);
        click(dialogItem(window, 603));
    }

    std::string commitAndReadFile() {
        click(dialogItem(window, 1));
        EXPECT_TRUE(call->waitForReturn());
        return plugin->configFile();
    }

    std::unique_ptr<PluginUnderTest> plugin;
    std::unique_ptr<ConfigureCall> call;
    HWND window = nullptr;
    HWND pane = nullptr;
};

TEST_F(StationListTest, TicksSurviveADeleteAndAnAdd) {
    open(numberedStations(5));
    click(GetDlgItem(pane, 201));  // untick 1
    click(GetDlgItem(pane, 203));  // untick 3
    click(GetDlgItem(pane, 402));  // delete 2
    EXPECT_EQ(rows(), (std::vector<Row>{{"Genre | Station 0", true},
                                        {"Genre | Station 1", false},
                                        {"Genre | Station 3", false},
                                        {"Genre | Station 4", true}}));
    click(GetDlgItem(pane, 200));  // untick 0, then add
    add("Talk | News", "https://news.example/");
    EXPECT_EQ(rows(), (std::vector<Row>{{"Genre | Station 0", false},
                                        {"Genre | Station 1", false},
                                        {"Genre | Station 3", false},
                                        {"Genre | Station 4", true},
                                        {"Talk | News", true}}));
    EXPECT_EQ(GetDlgCtrlID(children(pane).back()), 404);
    std::string file = commitAndReadFile();
    EXPECT_NE(file.find("station_count=5\r\n"), std::string::npos);
    EXPECT_NE(file.find("station_2_label=Genre | Station 3\r\nstation_2_url=https://stream3.example/live\r\n"
                        "station_2_enabled=0\r\n"),
              std::string::npos);
    EXPECT_NE(
        file.find(
            "station_4_label=Talk | News\r\nstation_4_url=https://news.example/\r\nstation_4_enabled=1"),
        std::string::npos);
}

TEST_F(StationListTest, DeletingRowZeroOf51MovesEverythingUpAndShowsTheTop) {
    std::vector<TestStation> stations = numberedStations(51);
    stations[1].enabled = 0;
    open(stations);
    send(pane, WM_VSCROLL, SB_BOTTOM);
    ASSERT_GT(verticalScroll(pane).nPos, 0);
    click(GetDlgItem(pane, 400));
    std::vector<Row> now = rows();
    ASSERT_EQ(now.size(), 50u);
    EXPECT_EQ(now.front(), (Row{"Genre | Station 1", false}));
    EXPECT_EQ(now.back(), (Row{"Genre | Station 50", true}));
    EXPECT_EQ(verticalScroll(pane).nPos, 0);
    int dpi = systemDpi();
    EXPECT_EQ(childRect(GetDlgItem(pane, 200)).top, scaled(4, dpi));
    EXPECT_EQ(verticalScroll(pane).nMax, expectedContentHeight(dpi, 50) - 1);
    EXPECT_EQ(GetDlgItem(pane, 250), nullptr);
    std::string file = commitAndReadFile();
    EXPECT_NE(file.find("station_count=50\r\nstation_0_label=Genre | Station 1\r\n"
                        "station_0_url=https://stream1.example/live\r\nstation_0_enabled=0\r\n"),
              std::string::npos);
    EXPECT_EQ(file.find("station_50_"), std::string::npos);
}

TEST_F(StationListTest, DeletingTheOnlyStationLeavesAnEmptyPane) {
    open(numberedStations(1));
    click(GetDlgItem(pane, 400));
    EXPECT_TRUE(children(pane).empty());
    int dpi = systemDpi();
    EXPECT_EQ(verticalScroll(pane).nMax, scaled(4, dpi) - 1);
    // The delete command ignores an index at or beyond the count.
    send(pane, WM_COMMAND, 400);
    send(pane, WM_COMMAND, 599);
    EXPECT_TRUE(children(pane).empty());
}

struct AddCase {
    const char* name;
    std::string typedName;
    std::string typedUrl;
    bool added;
    std::string label;  // what the new row and the file show
    std::string url;
};

class AddTest : public StationListTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddTest, TakesTheFieldsAsTheRulesSay) {
    const AddCase& c = GetParam();
    open(numberedStations(2));
    add(c.typedName, c.typedUrl);
    std::vector<Row> now = rows();
    if (!c.added) {
        EXPECT_EQ(now.size(), 2u);
        EXPECT_EQ(windowText(dialogItem(window, 601)), c.typedName);
        EXPECT_EQ(windowText(dialogItem(window, 602)), c.typedUrl);
        return;
    }
    ASSERT_EQ(now.size(), 3u);
    EXPECT_EQ(now.back(), (Row{c.label, true}));
    EXPECT_EQ(windowText(dialogItem(window, 601)), "");
    EXPECT_EQ(windowText(dialogItem(window, 602)), "");
    std::string file = commitAndReadFile();
    EXPECT_NE(file.find("station_2_label=" + c.label + "\r\nstation_2_url=" + c.url +
                        "\r\nstation_2_enabled=1\r\n"),
              std::string::npos)
        << file;
}

const std::string longName(100, 'n');
const std::string longUrl = "https://long.example/" + std::string(279, 'u');
// Texts whose limit falls inside a multi-byte character: the character is left out whole.
const std::string umlaut = "\xC3\xBC";
const std::string euro = "\xE2\x82\xAC";
const std::string note = "\xF0\x9F\x8E\xB5";  // outside the 16-bit range: a pair of UTF-16 units

INSTANTIATE_TEST_SUITE_P(
    Cases, AddTest,
    ::testing::Values(
        AddCase{"Plain", "Rock | Mine", "https://mine.example/", true, "Rock | Mine",
                "https://mine.example/"},
        AddCase{"TrailingBlanksAndTabsGo", "  Rock | Mine \t \t", "https://mine.example/\t ", true,
                "  Rock | Mine", "https://mine.example/"},
        AddCase{"NoBreakSpaceStays", "Rock | Mine\xC2\xA0", "https://mine.example/", true,
                "Rock | Mine\xC2\xA0", "https://mine.example/"},
        AddCase{"NameCutBeforeAnUmlautAtByte63", std::string(62, 'n') + umlaut, "https://u.example/", true,
                std::string(62, 'n'), "https://u.example/"},
        AddCase{"NameCutBeforeAEuroSignAcross63", std::string(61, 'n') + euro + "x", "https://u.example/",
                true, std::string(61, 'n'), "https://u.example/"},
        AddCase{"NameCutBeforeAFourByteCharacter", std::string(60, 'n') + note, "https://u.example/", true,
                std::string(60, 'n'), "https://u.example/"},
        AddCase{"NameOf63BytesEndingInAFourByteCharacterStays", std::string(59, 'n') + note + "x",
                "https://u.example/", true, std::string(59, 'n') + note, "https://u.example/"},
        AddCase{"NameOfUmlautsOnly",
                [] {
                    std::string text;
                    for (int i = 0; i < 40; ++i)
                        text += umlaut;
                    return text;
                }(),
                "https://u.example/", true,
                [] {
                    std::string text;
                    for (int i = 0; i < 31; ++i)
                        text += umlaut;
                    return text;
                }(),
                "https://u.example/"},
        AddCase{"UrlCutBeforeAnUmlautAtByte255", "Rock | U", std::string(254, 'u') + umlaut, true, "Rock | U",
                std::string(254, 'u')},
        AddCase{"UrlCutBeforeAEuroSignAcross255", "Rock | U", std::string(253, 'u') + euro, true, "Rock | U",
                std::string(253, 'u')},
        AddCase{"UrlCutBeforeAFourByteCharacter", "Rock | U", std::string(252, 'u') + note, true, "Rock | U",
                std::string(252, 'u')},
        AddCase{"NameCutTo63Bytes", longName, "https://mine.example/", true, std::string(63, 'n'),
                "https://mine.example/"},
        AddCase{"UrlCutTo255Bytes", "Rock | Long", longUrl, true, "Rock | Long", longUrl.substr(0, 255)},
        AddCase{"BlankNameAddsNothing", " \t  ", "https://mine.example/", false, "", ""},
        AddCase{"EmptyUrlAddsNothing", "Rock | Mine", "", false, "", ""},
        AddCase{"BlankUrlAddsNothing", "Rock | Mine", "\t", false, "", ""}),
    [](const ::testing::TestParamInfo<AddCase>& c) { return std::string(c.param.name); });

TEST_F(StationListTest, The201stStationIsRefused) {
    open(numberedStations(199));
    add("Last | One", "https://last.example/");
    ASSERT_EQ(rows().size(), 200u);
    EXPECT_EQ(rows().back(), (Row{"Last | One", true}));
    add("Too | Many", "https://too-many.example/");
    EXPECT_EQ(rows().size(), 200u);
    EXPECT_EQ(windowText(dialogItem(window, 601)), "Too | Many");
    EXPECT_EQ(windowText(dialogItem(window, 602)), "https://too-many.example/");
    std::string file = commitAndReadFile();
    EXPECT_NE(file.find("station_count=200\r\n"), std::string::npos);
    EXPECT_NE(file.find("station_199_label=Last | One\r\n"), std::string::npos);
}

// Scrolling a list of 51 stations; every figure depends on the DPI of the run.
class StationScrollTest : public StationListTest {
  protected:
    void SetUp() override {
        open(numberedStations(51));
        dpi = systemDpi();
        page = expectedPaneHeight(dpi, 51);
        last = expectedContentHeight(dpi, 51) - page;
    }

    int position() { return verticalScroll(pane).nPos; }
    // Row 0 moves with the contents.
    int rowZeroTop() { return childRect(GetDlgItem(pane, 200)).top; }
    void wheel(HWND target, short delta) {
        PostMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
        settle(window);
    }

    int dpi = 96;
    int page = 0;
    int last = 0;
};

TEST_F(StationScrollTest, ScrollBarRequestsMoveByTheirAmountsAndStopAtTheEnds) {
    struct Step {
        int request;
        int position;
    };
    const Step steps[] = {
        {SB_LINEUP, 0},    {SB_LINEDOWN, 22},      {SB_LINEDOWN, 44},   {SB_PAGEDOWN, 44 + page},
        {SB_PAGEUP, 44},   {SB_THUMBPOSITION, 44}, {SB_ENDSCROLL, 44},  {99, 44},
        {SB_BOTTOM, last}, {SB_LINEDOWN, last},    {SB_PAGEDOWN, last}, {SB_LINEUP, last - 22},
        {SB_TOP, 0},       {SB_PAGEUP, 0},
    };
    for (const Step& step : steps) {
        send(pane, WM_VSCROLL, static_cast<WPARAM>(step.request));
        EXPECT_EQ(position(), step.position) << "request " << step.request;
        EXPECT_EQ(rowZeroTop(), scaled(4, dpi) - step.position) << "request " << step.request;
    }
}

TEST_F(StationScrollTest, OneWheelNotchIsThreeLinesWhereverItIsAimed) {
    wheel(dialogItem(window, 601), -WHEEL_DELTA);
    EXPECT_EQ(position(), 66);
    wheel(GetDlgItem(pane, 203), -1);  // a small delta scrolls three lines too
    EXPECT_EQ(position(), 132);
    wheel(window, WHEEL_DELTA);
    EXPECT_EQ(position(), 66);
    EXPECT_EQ(rowZeroTop(), scaled(4, dpi) - 66);
    wheel(dialogItem(window, 1), 3 * WHEEL_DELTA);
    EXPECT_EQ(position(), 0);
    for (int k = 0; k < 100 && position() < last; ++k) {
        wheel(pane, -WHEEL_DELTA);
    }
    EXPECT_EQ(position(), last);
    wheel(pane, -WHEEL_DELTA);
    EXPECT_EQ(position(), last);
}

TEST_F(StationListTest, AnEmptyListScrollsNowhere) {
    open({});
    for (int request : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM}) {
        send(pane, WM_VSCROLL, static_cast<WPARAM>(request));
        EXPECT_EQ(verticalScroll(pane).nPos, 0) << request;
    }
    PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    settle(window);
    EXPECT_EQ(verticalScroll(pane).nPos, 0);
}

TEST_F(StationListTest, AShortListAfterDeletesScrollsNowhere) {
    open(numberedStations(12));
    send(pane, WM_VSCROLL, SB_BOTTOM);
    ASSERT_GT(verticalScroll(pane).nPos, 0);
    click(GetDlgItem(pane, 411));
    click(GetDlgItem(pane, 410));
    click(GetDlgItem(pane, 409));
    send(pane, WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(verticalScroll(pane).nPos, 0);
}

}  // namespace
}  // namespace tandrel::testing

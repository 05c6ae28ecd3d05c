#include "ui/settings_layout.h"

#include <utility>

#include "example_streams.h"
#include "ui/controls.h"
#include "ui/settings_window_state.h"
#include "ui/station_list_pane.h"
#include "ui/wide_text.h"

namespace tandrel {
namespace {

// Lengths at 96 DPI; each goes through scale() on its own when the layout is made.
constexpr int MARGIN96 = 14;
constexpr int GROUP_WIDTH96 = 440;
constexpr int GROUP_GAP96 = 12;
constexpr int INFO_GROUP_HEIGHT96 = 116;
constexpr int ADD_GROUP_HEIGHT96 = 168;
constexpr int BUTTON_ROW_HEIGHT96 = 28;
constexpr int PANE_INSET96 = 4;
constexpr int PANE_MIN_HEIGHT96 = 56;
constexpr int PANE_MAX_HEIGHT96 = 280;
constexpr int PANE_WIDTH_INSET96 = 8;
constexpr int STATION_GROUP_TOP_INSET96 = 22;  // where the pane starts below the group's top
constexpr int STATION_GROUP_PADDING96 = 10;    // the pane's inset and the space below it
constexpr int GROUP_CAPTION96 = 24;
constexpr int CONTROL_INDENT96 = 12;
constexpr int CHECK_BOX_HEIGHT96 = 20;
constexpr int INFO_CHECK_FIRST96 = 24;
constexpr int INFO_CHECK_PITCH96 = 28;
constexpr int LINK_TOP96 = 22;
constexpr int LINK_WIDTH_INSET96 = 28;
constexpr int LABEL_HEIGHT96 = 18;
constexpr int NAME_ROW_TOP96 = 50;
constexpr int ROW_PITCH96 = 46;
constexpr int LABEL_DROP96 = 3;
constexpr int LABEL_WIDTH96 = 46;
constexpr int LABEL_GAP96 = 4;
constexpr int EDIT_WIDTH_INSET96 = 6;
constexpr int EDIT_HEIGHT96 = 22;
constexpr int ADD_BUTTON_RIGHT96 = 110;
constexpr int ADD_BUTTON_TOP96 = 132;
constexpr int ADD_BUTTON_WIDTH96 = 100;
constexpr int DIALOG_BUTTON_WIDTH96 = 88;
constexpr int OK_LEFT_OF_CENTRE96 = 96;
constexpr int CANCEL_RIGHT_OF_CENTRE96 = 8;

constexpr DWORD GROUP_BOX_STYLE = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD CHECK_BOX_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD PANE_STYLE = WS_CHILD | WS_VISIBLE | WS_VSCROLL;
constexpr DWORD LINK_STYLE = WS_CHILD | WS_VISIBLE | SS_NOTIFY;
constexpr DWORD LABEL_STYLE = WS_CHILD | WS_VISIBLE;
constexpr DWORD EDIT_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD OWNER_BUTTON_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
static_assert(GROUP_BOX_STYLE == 0x50000007 && CHECK_BOX_STYLE == 0x50010003 && PANE_STYLE == 0x50200000);
static_assert(LINK_STYLE == 0x50000100 && EDIT_STYLE == 0x50010080 && OWNER_BUTTON_STYLE == 0x5001000B);

constexpr int INFO_CHECK_COUNT = 3;
constexpr const char* INFO_CHECK_TEXTS[INFO_CHECK_COUNT] = {"Server-Info anzeigen", "Channel-Info anzeigen",
                                                            "Client-Info anzeigen"};

int* infoSwitchOfDraft(int k) {
    int* switches[INFO_CHECK_COUNT] = {&settingsDraft.settings.showServerInfo,
                                       &settingsDraft.settings.showChannelInfo,
                                       &settingsDraft.settings.showClientInfo};
    return switches[k];
}

// An automatic check box of the info-panel group, ticked as the draft says.
void createInfoCheckBox(HWND window, int k, ControlRect rect, HFONT font) {
    HWND box = createControl(window, {"BUTTON", INFO_CHECK_TEXTS[k], CHECK_BOX_STYLE, 0, ID_SERVER_INFO + k},
                             rect, font);
    setTicked(box, *infoSwitchOfDraft(k) != 0);
}

// The vertical positions that the column of groups follows, for the current DPI and station count.
struct ColumnLayout {
    int margin;
    int groupWidth;
    int stationGroupTop;
    int stationGroupHeight;
    int addGroupTop;
    int nameRowTop;
    int urlRowTop;
};

ColumnLayout columnLayout() {
    ColumnLayout c{};
    c.margin = scale(MARGIN96);
    c.groupWidth = scale(GROUP_WIDTH96);
    c.stationGroupTop = c.margin + scale(INFO_GROUP_HEIGHT96) + scale(GROUP_GAP96);
    c.stationGroupHeight =
        settingsWindowState.paneHeight + scale(STATION_GROUP_PADDING96) + scale(GROUP_CAPTION96);
    c.addGroupTop = c.stationGroupTop + c.stationGroupHeight + scale(GROUP_GAP96);
    c.nameRowTop = c.addGroupTop + scale(NAME_ROW_TOP96);
    c.urlRowTop = c.nameRowTop + scale(ROW_PITCH96);
    return c;
}

void createInfoGroup(HWND window, const ColumnLayout& c) {
    HFONT font = settingsWindowState.fonts.text.get();
    createControl(window, {"BUTTON", "Info-Panel", GROUP_BOX_STYLE, 0, 0},
                  {c.margin, c.margin, c.groupWidth, scale(INFO_GROUP_HEIGHT96)}, font);
    for (int k = 0; k < INFO_CHECK_COUNT; ++k) {
        createInfoCheckBox(window, k,
                           {c.margin + scale(CONTROL_INDENT96),
                            c.margin + scale(INFO_CHECK_FIRST96 + INFO_CHECK_PITCH96 * k),
                            c.groupWidth - scale(2 * CONTROL_INDENT96), scale(CHECK_BOX_HEIGHT96)},
                           font);
    }
}

void createStationGroup(HWND window, const ColumnLayout& c) {
    createControl(window, {"BUTTON", "Radiosender (nur Admins - Neustart noetig)", GROUP_BOX_STYLE, 0, 0},
                  {c.margin, c.stationGroupTop, c.groupWidth, c.stationGroupHeight},
                  settingsWindowState.fonts.text.get());
    // The pane draws no text of its own, so it gets no font.
    settingsWindowState.stationPane =
        createControl(window, {STATION_PANE_CLASS, nullptr, PANE_STYLE, 0, 0},
                      {c.margin + scale(PANE_INSET96), c.stationGroupTop + scale(STATION_GROUP_TOP_INSET96),
                       settingsWindowState.paneWidth, settingsWindowState.paneHeight},
                      nullptr);
    rebuildStationRows();
}

void createAddStreamGroup(HWND window, const ColumnLayout& c) {
    HFONT font = settingsWindowState.fonts.text.get();
    int indent = c.margin + scale(CONTROL_INDENT96);
    int editLeft = c.margin + scale(CONTROL_INDENT96) + scale(LABEL_WIDTH96) + scale(LABEL_GAP96);
    int editWidth =
        c.groupWidth - scale(2 * CONTROL_INDENT96) - scale(LABEL_WIDTH96) - scale(EDIT_WIDTH_INSET96);
    createControl(window, {"BUTTON", "Neuen Stream hinzufuegen", GROUP_BOX_STYLE, 0, 0},
                  {c.margin, c.addGroupTop, c.groupWidth, scale(ADD_GROUP_HEIGHT96)}, font);
    settingsWindowState.exampleLink =
        createControl(window, {"STATIC", EXAMPLE_LINK_TEXT, LINK_STYLE, 0, ID_EXAMPLE_LINK},
                      {indent, c.addGroupTop + scale(LINK_TOP96), c.groupWidth - scale(LINK_WIDTH_INSET96),
                       scale(LABEL_HEIGHT96)},
                      settingsWindowState.fonts.link.get());
    createControl(window, {"STATIC", "Name:", LABEL_STYLE, 0, 0},
                  {indent, c.nameRowTop + scale(LABEL_DROP96), scale(LABEL_WIDTH96), scale(LABEL_HEIGHT96)},
                  font);
    settingsWindowState.nameEdit =
        createControl(window, {"EDIT", "", EDIT_STYLE, WS_EX_CLIENTEDGE, ID_NAME_EDIT},
                      {editLeft, c.nameRowTop, editWidth, scale(EDIT_HEIGHT96)}, font);
    createControl(window, {"STATIC", "URL:", LABEL_STYLE, 0, 0},
                  {indent, c.urlRowTop + scale(LABEL_DROP96), scale(LABEL_WIDTH96), scale(LABEL_HEIGHT96)},
                  font);
    settingsWindowState.urlEdit =
        createControl(window, {"EDIT", "", EDIT_STYLE, WS_EX_CLIENTEDGE, ID_URL_EDIT},
                      {editLeft, c.urlRowTop, editWidth, scale(EDIT_HEIGHT96)}, font);
    createControl(
        window, {"BUTTON", "Hinzufuegen", OWNER_BUTTON_STYLE, 0, ID_ADD_STREAM},
        {c.margin + c.groupWidth - scale(ADD_BUTTON_RIGHT96), c.addGroupTop + scale(ADD_BUTTON_TOP96),
         scale(ADD_BUTTON_WIDTH96), scale(BUTTON_ROW_HEIGHT96)},
        font);
}

// OK and "Abbrechen" sit left and right of the groups' centre line; neither is a default button.
void createDialogButtons(HWND window, const ColumnLayout& c) {
    HFONT font = settingsWindowState.fonts.text.get();
    int top = c.addGroupTop + scale(ADD_GROUP_HEIGHT96) + scale(GROUP_GAP96);
    int centre = c.margin + c.groupWidth / 2;
    createControl(
        window, {"BUTTON", "OK", OWNER_BUTTON_STYLE, 0, ID_OK},
        {centre - scale(OK_LEFT_OF_CENTRE96), top, scale(DIALOG_BUTTON_WIDTH96), scale(BUTTON_ROW_HEIGHT96)},
        font);
    createControl(window, {"BUTTON", "Abbrechen", OWNER_BUTTON_STYLE, 0, ID_CANCEL},
                  {centre + scale(CANCEL_RIGHT_OF_CENTRE96), top, scale(DIALOG_BUTTON_WIDTH96),
                   scale(BUTTON_ROW_HEIGHT96)},
                  font);
}

// Brings the draft's info switches up to date from the check boxes that exist.
void syncInfoSwitches(HWND window) {
    PluginSettings& s = settingsDraft.settings;
    const InfoSwitches now =
        readInfoCheckBoxes(window, {s.showServerInfo, s.showChannelInfo, s.showClientInfo});
    s.showServerInfo = now.server;
    s.showChannelInfo = now.channel;
    s.showClientInfo = now.client;
}

// The per-DPI query exists only in the wide form: it fills a NONCLIENTMETRICSW, which is larger than
// the ANSI record, so it gets a record of its own and the message font is converted. False when the
// system lacks it; on a failed query the font stays zeroed.
bool queryMessageFontForDpi(LOGFONTA& font) {
    NONCLIENTMETRICSW wide{};
    const DpiQuery query = queryNonClientMetricsForDpi(wide, settingsWindowState.currentDpi);
    if (query == DpiQuery::NOT_AVAILABLE) {
        return false;
    }
    if (query == DpiQuery::FILLED) {
        const LOGFONTW& message = wide.lfMessageFont;
        font.lfHeight = message.lfHeight;
        font.lfWidth = message.lfWidth;
        font.lfEscapement = message.lfEscapement;
        font.lfOrientation = message.lfOrientation;
        font.lfWeight = message.lfWeight;
        font.lfItalic = message.lfItalic;
        font.lfUnderline = message.lfUnderline;
        font.lfStrikeOut = message.lfStrikeOut;
        font.lfCharSet = message.lfCharSet;
        font.lfOutPrecision = message.lfOutPrecision;
        font.lfClipPrecision = message.lfClipPrecision;
        font.lfQuality = message.lfQuality;
        font.lfPitchAndFamily = message.lfPitchAndFamily;
        WideCharToMultiByte(CP_ACP, 0, message.lfFaceName, -1, font.lfFaceName, LF_FACESIZE, nullptr,
                            nullptr);
        font.lfFaceName[LF_FACESIZE - 1] = '\0';
    }
    return true;
}

}  // namespace

int stationPaneHeight() {
    int height =
        scale(STATION_ROW_PITCH96) * settingsDraft.settings.stationCount + scale(STATION_ROW_TOP_INSET96);
    if (height < scale(PANE_MIN_HEIGHT96)) {
        height = scale(PANE_MIN_HEIGHT96);
    }
    if (height > scale(PANE_MAX_HEIGHT96)) {
        height = scale(PANE_MAX_HEIGHT96);
    }
    return height;
}

SIZE settingsClientSize() {
    int stationGroup = stationPaneHeight() + scale(STATION_GROUP_PADDING96) + scale(GROUP_CAPTION96);
    int height = scale(MARGIN96) + scale(INFO_GROUP_HEIGHT96) + scale(GROUP_GAP96) + stationGroup +
                 scale(GROUP_GAP96) + scale(ADD_GROUP_HEIGHT96) + scale(GROUP_GAP96) +
                 scale(BUTTON_ROW_HEIGHT96) + scale(MARGIN96);
    return {scale(GROUP_WIDTH96 + 2 * MARGIN96), height};
}

void createUiFonts() {
    // The form with the padded border width; a failed query leaves the zeroed font description,
    // which gives the system's default font.
    NONCLIENTMETRICSA metrics{};
    static_assert(sizeof metrics == 344);
    metrics.cbSize = sizeof metrics;
    if (!queryMessageFontForDpi(metrics.lfMessageFont)) {
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    }
    UiFonts fonts;
    fonts.text = ScopedGdiObject<HFONT>(CreateFontIndirectA(&metrics.lfMessageFont));
    LOGFONTA link{};
    GetObjectA(fonts.text.get(), sizeof link, &link);
    link.lfUnderline = 1;
    fonts.link = ScopedGdiObject<HFONT>(CreateFontIndirectA(&link));
    settingsWindowState.fonts = std::move(fonts);  // the fonts of the previous DPI go here
}

void buildSettingsControls(HWND window) {
    settingsWindowState.paneHeight = stationPaneHeight();
    settingsWindowState.paneWidth = scale(GROUP_WIDTH96) - scale(PANE_WIDTH_INSET96);
    ColumnLayout column = columnLayout();
    createInfoGroup(window, column);
    createStationGroup(window, column);
    createAddStreamGroup(window, column);
    createDialogButtons(window, column);
}

LRESULT onDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    settingsWindowState.currentDpi = LOWORD(wParam);
    syncInfoSwitches(window);
    syncStationRows();
    // What the user typed but has not added yet survives the rebuild, as the ticks do.
    const HeldWindowText typedName(settingsWindowState.nameEdit);
    const HeldWindowText typedUrl(settingsWindowState.urlEdit);
    destroyChildren(window);
    settingsWindowState.stationPane = nullptr;
    settingsWindowState.nameEdit = nullptr;
    settingsWindowState.urlEdit = nullptr;
    settingsWindowState.exampleLink = nullptr;
    createUiFonts();
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (suggested != nullptr) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    buildSettingsControls(window);
    typedName.restoreTo(settingsWindowState.nameEdit);
    typedUrl.restoreTo(settingsWindowState.urlEdit);
    return 0;
}

InfoSwitches readInfoCheckBoxes(HWND window, InfoSwitches fallback) {
    int* values[INFO_CHECK_COUNT] = {&fallback.server, &fallback.channel, &fallback.client};
    for (int k = 0; k < INFO_CHECK_COUNT; ++k) {
        if (HWND box = GetDlgItem(window, ID_SERVER_INFO + k); box != nullptr) {
            *values[k] = isTicked(box) ? 1 : 0;
        }
    }
    return fallback;
}

}  // namespace tandrel

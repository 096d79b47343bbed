#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

// What the main window is made of, as data: the window builds itself from
// these tables and the tests check the result against them.
namespace qor::window {

enum class ControlKind { Frame, Label, ComboBox, TextBox, Button, ListBox };

// Traits only a few rows have, so the table stays one row per control.
enum ControlTrait : unsigned {
    kNoTrait = 0,
    kStartsDisabled = 1u << 0,
    kOwnFont = 1u << 1,  // stores kOwnFontFamily instead of the window font
};

struct ControlRow {
    std::string_view name;       // also the widget's objectName
    std::string_view container;  // kWindowName or an earlier row's name
    ControlKind kind;
    std::string_view text;         // UTF-8; a frame's caption, a label's or button's text
    int left, top, width, height;  // twips, inside the container
    int tabIndex;
    // The Win32 window's control ID, by which tests and tools outside the
    // program find the control (GetDlgItem). Fixed per control: a new row
    // renumbers nothing.
    int id;
    unsigned traits = kNoTrait;
};

inline constexpr std::string_view kWindowName = "Form1";
inline constexpr std::string_view kCaption = "QOR系列发卡器开发演示程序";
inline constexpr int kClientWidthTwips = 8790;
inline constexpr int kClientHeightTwips = 5445;

// The layout was drawn at 96 dots per inch; Qt's own high-DPI scaling takes
// these pixels to other screens.
inline constexpr int kTwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

// "宋体" rarely exists on Linux, so the Song-style faces a Debian machine
// may have follow it; the first one present wins.
inline constexpr std::array<std::string_view, 6> kWindowFontFamilies = {
    "宋体", "SimSun", "NSimSun", "AR PL UMing CN", "AR PL UMing TW", "Noto Serif CJK SC"};
inline constexpr double kWindowFontPoints = 9.0;
// Frame2 keeps a font of its own that shows nowhere (it has no caption); its
// children still use the window font.
inline constexpr std::string_view kOwnFontFamily = "MS Sans Serif";
inline constexpr double kOwnFontPoints = 8.25;
// The message list's context menu: copy the selected lines, copy them all.
inline constexpr std::string_view kCopyText = "复制";
inline constexpr std::string_view kCopyAllText = "全部复制";

using enum ControlKind;

// Containers come before what they contain. Label6 ends in the private-use
// character U+E1A0 and Label8 reads "校验柆": both are kept as the original
// window stored them, not corrected.
inline constexpr auto kControls = std::to_array<ControlRow>({
    {"Frame1", kWindowName, Frame, "发卡器通讯端口", 120, 120, 8055, 1455, 1, 1001},
    {"Label4", "Frame1", Label, "通讯端口", 360, 360, 720, 180, 12, 1002},
    {"cboPort", "Frame1", ComboBox, "COM1", 1200, 360, 1335, 300, 5, 1003},
    {"Label5", "Frame1", Label, "波特率", 3360, 360, 540, 180, 10, 1004},
    {"cboBaudRate", "Frame1", ComboBox, "", 4080, 360, 1455, 300, 3, 1005},
    {"cmdOpenCom", "Frame1", Button, "打开端口", 6240, 360, 1335, 375, 6, 1006},
    {"Label6", "Frame1", Label, "通讯超时\uE1A0", 360, 840, 900, 180, 11, 1007},
    {"txtDelay", "Frame1", TextBox, "500", 1200, 840, 1335, 330, 4, 1008},
    {"Label7", "Frame1", Label, "毫秒", 2640, 840, 360, 180, 9, 1009},
    {"Label8", "Frame1", Label, "校验柆", 3360, 960, 540, 180, 8, 1010},
    {"cboParity", "Frame1", ComboBox, "", 4080, 960, 1455, 300, 2, 1011},
    {"cmdCloseCom", "Frame1", Button, "关闭端口", 6240, 840, 1335, 375, 7, 1012, kStartsDisabled},
    {"Frame2", kWindowName, Frame, "", 120, 1560, 8055, 2055, 13, 1013, kOwnFont},
    {"Label1", "Frame2", Label, "读取卡号", 240, 240, 720, 180, 14, 1014},
    {"edCardSn", "Frame2", TextBox, "", 1080, 240, 1695, 285, 15, 1015},
    {"btnReadCard", "Frame2", Button, "读卡号", 6000, 240, 1575, 375, 16, 1016},
    {"Frame3", "Frame2", Frame, "维根输出格式及取卡方法", 120, 720, 7695, 1335, 17, 1017},
    {"Label2", "Frame3", Label, "输出格式", 600, 360, 720, 180, 18, 1018},
    {"edCardType", "Frame3", ComboBox, "", 1440, 360, 2895, 300, 20, 1019},
    {"Label3", "Frame3", Label, "取卡方法", 600, 840, 720, 180, 19, 1020},
    {"edCodeType", "Frame3", ComboBox, "", 1440, 840, 2895, 300, 21, 1021},
    {"edMsg", kWindowName, ListBox, "", 120, 3720, 8175, 1500, 0, 1022},
});

inline constexpr std::size_t kNoRow = kControls.size();

// The row of the control named `name`, or kNoRow.
constexpr std::size_t FindRow(std::string_view name) {
    for (std::size_t row = 0; row < kControls.size(); ++row)
        if (kControls[row].name == name) return row;
    return kNoRow;
}

// A control's name as the code spells it: made from a literal at compile
// time, so a name that is no control's fails the build instead of finding
// nothing at run time.
struct ControlName {
    consteval ControlName(const char* name) : row(FindRow(name)) {
        if (row == kNoRow) throw "no control of that name in kControls";
    }
    constexpr std::string_view Name() const { return kControls[row].name; }
    std::size_t row;
};

constexpr int ControlId(ControlName name) { return kControls[name.row].id; }

// Each row's container as a row, or kNoRow for the window itself.
inline constexpr auto kContainerRows = [] {
    std::array<std::size_t, kControls.size()> rows{};
    for (std::size_t row = 0; row < kControls.size(); ++row)
        rows[row] =
            kControls[row].container == kWindowName ? kNoRow : FindRow(kControls[row].container);
    return rows;
}();

static_assert(
    [] {
        for (std::size_t row = 0; row < kControls.size(); ++row) {
            const std::size_t container = kContainerRows[row];
            if (kControls[row].container != kWindowName &&
                (container >= row || kControls[container].kind != ControlKind::Frame))
                return false;
            for (std::size_t other = 0; other < row; ++other)
                if (kControls[other].name == kControls[row].name ||
                    kControls[other].id == kControls[row].id)
                    return false;
        }
        return true;
    }(),
    "names and IDs are unique, and each container is a frame in an earlier row");

struct ListRow {
    ControlName control;
    std::span<const std::string_view> entries;  // position 0 first
    int defaultPosition;
};

inline constexpr std::string_view kPortEntries[] = {"COM1", "COM2"};
inline constexpr std::string_view kBaudRateEntries[] = {"4800", "9600", "19200", "38400"};
inline constexpr std::string_view kParityEntries[] = {
    "0-无校验(No)", "1-奇校验(Odd)", "2-偶校验(Even)", "3-标记校验(Mark)", "4-空格校验(Space)"};
inline constexpr std::string_view kCardTypeEntries[] = {"0-支持26BIT", "1-支持36BIT", "2-支持44BIT",
                                                        "3-支持34BIT"};
inline constexpr std::string_view kCodeTypeEntries[] = {
    "0-全部BIT作为卡片编号,不足5字节,高位补0", "1-除去校验位,取全部BIT,不足5字节,高位补0",
    "2-除去校验位,取低位2字节,高位补0",        "3-除去校验位,取低位3字节,高位补0",
    "4-除去校验位,取低位4字节,高位补0",        "5-除去校验位,取低位5字节"};

// The default selections are made in this order.
inline constexpr auto kLists = std::to_array<ListRow>({
    {"cboPort", kPortEntries, 0},
    {"cboBaudRate", kBaudRateEntries, 1},
    {"cboParity", kParityEntries, 0},
    {"edCardType", kCardTypeEntries, 2},
    {"edCodeType", kCodeTypeEntries, 3},
});

static_assert(
    [] {
        for (const ListRow& list : kLists)
            if (kControls[list.control.row].kind != ControlKind::ComboBox ||
                list.defaultPosition < 0 ||
                static_cast<std::size_t>(list.defaultPosition) >= list.entries.size())
                return false;
        return true;
    }(),
    "every list is a combo box's, with its default among its entries");

}  // namespace qor::window

// The Win32 window, driven in-process through its controls' own messages,
// with the stand-in library recording what reaches it. Needs a display; the
// code-page case needs the ANSI code page 936.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control_table.h"
#include "fake_library.h"
#include "main_window.h"
#include "wide_text_win32.h"

namespace {

using qor::window::ControlKind;
using qor::window::ControlRow;
using qorplatform::Narrow;
using qorplatform::Widen;
using Names = std::vector<std::string>;
using Reads = std::vector<std::pair<std::int32_t, std::int32_t>>;

std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ItemText(HWND list, UINT getText, WPARAM item) {
    wchar_t text[512] = {};
    SendMessageW(list, getText, item, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::wstring> Lines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        lines.push_back(ItemText(list, LB_GETTEXT, static_cast<WPARAM>(i)));
    return lines;
}

// Where the table puts a control in the window's client area, in pixels at
// `dpi`, rounded as TwipsToPixels rounds at 96 DPI.
RECT Expected(std::size_t index, int dpi = 96) {
    const ControlRow& row = qor::window::kControls[index];
    int left = row.left, top = row.top;
    for (std::size_t outer = qor::window::kContainerRows[index]; outer != qor::window::kNoRow;
         outer = qor::window::kContainerRows[outer]) {
        left += qor::window::kControls[outer].left;
        top += qor::window::kControls[outer].top;
    }
    const auto pixels = [dpi](int twips) { return (twips * dpi + 720) / 1440; };
    return {pixels(left), pixels(top), pixels(left) + pixels(row.width),
            pixels(top) + pixels(row.height)};
}

std::vector<LONG> Corners(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// A control's place in the window's client area.
RECT Shown(HWND control) {
    RECT shown = {};
    GetWindowRect(control, &shown);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&shown), 2);
    return shown;
}

struct Look {
    const wchar_t* className;
    DWORD style;      // bits that must be set
    DWORD typeMask;   // the bits of `style` that pick one of several types
    DWORD forbidden;  // bits that must not be set
};

Look LookOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame: return {L"Button", BS_GROUPBOX, BS_TYPEMASK, 0};
        case ControlKind::Label: return {L"Static", SS_NOPREFIX, 0, 0};
        case ControlKind::ComboBox:
            return {L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL, CBS_DROPDOWNLIST, CBS_SORT};
        case ControlKind::TextBox: return {L"Edit", ES_AUTOHSCROLL, 0, 0};
        case ControlKind::Button:
            return {L"Button", BS_PUSHBUTTON, BS_TYPEMASK, 0};  // never default
        case ControlKind::ListBox: return {L"ListBox", LBS_NOINTEGRALHEIGHT, 0, LBS_SORT};
    }
    return {};
}

class WindowTest : public ::testing::Test {
protected:
    HWND Form() const { return form->Handle(); }
    HWND Find(const ControlRow& row) const {
        HWND control = GetDlgItem(Form(), row.id);
        EXPECT_NE(control, nullptr) << row.name;
        return control;
    }
    HWND Find(qor::window::ControlName name) const {
        return Find(qor::window::kControls[name.row]);
    }
    void Click(qor::window::ControlName button) { SendMessageW(Find(button), BM_CLICK, 0, 0); }

    // As the program's message loop does.
    void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            if (Form() != nullptr && IsDialogMessageW(Form(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    void Press(WPARAM key) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 1 | 0xC0000000);
        Pump();
    }
    void Show() {
        ShowWindow(Form(), SW_SHOW);
        Pump();
    }

    // The control that has the focus, or the combo box whose edit has it.
    std::string FocusName() const {
        for (HWND at = GetFocus(); at != nullptr; at = GetParent(at)) {
            if (GetParent(at) != Form()) continue;
            for (const ControlRow& row : qor::window::kControls)
                if (row.id == GetDlgCtrlID(at)) return std::string(row.name);
        }
        return "(none)";
    }
    Names FollowTab(int presses) {
        Names visited{FocusName()};
        for (int i = 0; i < presses; ++i) {
            Press(VK_TAB);
            visited.push_back(FocusName());
        }
        return visited;
    }

    // Replaces a combo box's text as the operator does: select it all and
    // type over it, one character message at a time.
    void Type(qor::window::ControlName combo, std::wstring_view text) {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(Find(combo), &info));
        SetFocus(info.hwndItem);
        SendMessageW(info.hwndItem, EM_SETSEL, 0, -1);
        SendMessageW(info.hwndItem, WM_CHAR, VK_BACK, 1);
        for (wchar_t unit : text) SendMessageW(info.hwndItem, WM_CHAR, unit, 1);
        ASSERT_EQ(Text(Find(combo)), text);
    }

    FakeLibrary library;
    std::unique_ptr<qor::Form1> form = std::make_unique<qor::Form1>(library);
};

// --- what the window is made of ---------------------------------------------

TEST_F(WindowTest, EveryRowOfTheTableIsOneControlInItsPlace) {
    for (std::size_t index = 0; index < qor::window::kControls.size(); ++index) {
        const ControlRow& row = qor::window::kControls[index];
        SCOPED_TRACE(std::string(row.name));
        HWND control = Find(row);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetParent(control), Form()) << "a child of the window, whatever its frame";

        const Look look = LookOf(row.kind);
        wchar_t className[64] = {};
        GetClassNameW(control, className, 64);
        EXPECT_EQ(_wcsicmp(className, look.className), 0) << Narrow(className);
        const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        EXPECT_EQ(style & look.style, look.style);
        EXPECT_EQ(style & look.typeMask, look.style & look.typeMask);
        EXPECT_EQ(style & look.forbidden, 0u);
        const bool takesFocus = row.kind != ControlKind::Frame && row.kind != ControlKind::Label;
        EXPECT_EQ((style & WS_TABSTOP) != 0, takesFocus);
        EXPECT_EQ(IsWindowEnabled(control) != FALSE,
                  (row.traits & qor::window::kStartsDisabled) == 0);

        if (row.kind != ControlKind::ComboBox || !row.text.empty()) {
            EXPECT_EQ(Text(control), Widen(row.text));
        }

        EXPECT_EQ(Corners(Shown(control)), Corners(Expected(index)));

        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
        if (row.name == "Frame2") {
            EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif");
            EXPECT_EQ(font.lfHeight, -11) << "8.25 pt";
        } else {
            EXPECT_EQ(font.lfHeight, -12) << "9 pt";
            EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
            bool songFace = false;
            for (std::string_view family : qor::window::kWindowFontFamilies)
                songFace = songFace || Widen(family) == font.lfFaceName;
            EXPECT_TRUE(songFace) << Narrow(font.lfFaceName);
        }
    }
    // Spot checks that do not go through the table's arithmetic.
    EXPECT_EQ(Corners(Shown(Find("edCodeType"))),
              (std::vector<LONG>{112, 208, 112 + 193, 208 + 20}));
    EXPECT_EQ(Text(Find("Label6")), std::wstring(L"通讯超时") + wchar_t(0xE1A0));
    EXPECT_EQ(Text(Find("Label8")), L"校验柆");
}

TEST_F(WindowTest, WindowIsFixedCentredAndFramesLieBelowTheControls) {
    EXPECT_EQ(Text(Form()), L"QOR系列发卡器开发演示程序");
    RECT client = {};
    GetClientRect(Form(), &client);
    EXPECT_EQ(client.right, 586);
    EXPECT_EQ(client.bottom, 363);
    const auto style = static_cast<DWORD>(GetWindowLongW(Form(), GWL_STYLE));
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u) << "not resizable";

    RECT frame = {};
    GetWindowRect(Form(), &frame);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(Form(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_LE(std::abs((frame.left + frame.right) - (monitor.rcWork.left + monitor.rcWork.right)),
              2);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)),
              2);

    // Top of the Z-order first: a group box above a control would paint over it.
    bool frameSeen = false;
    for (HWND child = GetWindow(Form(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        const bool isFrame = _wcsicmp(className, L"Button") == 0 &&
                             (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        EXPECT_FALSE(frameSeen && !isFrame)
            << "control " << GetDlgCtrlID(child) << " under a frame";
        frameSeen = frameSeen || isFrame;
    }
}

TEST_F(WindowTest, ListsHoldTheirEntriesAndStartOnTheDefaults) {
    for (const auto& list : qor::window::kLists) {
        SCOPED_TRACE(std::string(list.control.Name()));
        HWND combo = Find(list.control);
        ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0),
                  static_cast<LRESULT>(list.entries.size()));
        for (std::size_t i = 0; i < list.entries.size(); ++i) {
            EXPECT_EQ(ItemText(combo, CB_GETLBTEXT, i), Widen(list.entries[i]));
        }
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), list.defaultPosition);
    }
    EXPECT_EQ(Text(Find("cboPort")), L"COM1");
    EXPECT_EQ(Text(Find("cboBaudRate")), L"9600");
    EXPECT_EQ(Text(Find("cboParity")), L"0-无校验(No)");
    EXPECT_EQ(Text(Find("edCardType")), L"2-支持44BIT");
    EXPECT_EQ(Text(Find("edCodeType")), L"3-除去校验位,取低位3字节,高位补0");
    EXPECT_EQ(SendMessageW(Find("edMsg"), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Text(Find("edCardSn")), L"");
    EXPECT_EQ(Text(Find("txtDelay")), L"500");
}

// A combo box is made only as tall as its edit part, so its list's height
// comes from the version 6 common controls: every entry, and no empty row.
TEST_F(WindowTest, EveryListDropsToJustItsEntries) {
    Show();
    for (const auto& list : qor::window::kLists) {
        SCOPED_TRACE(std::string(list.control.Name()));
        HWND combo = Find(list.control);
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(combo, &info));
        SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        Pump();
        ASSERT_TRUE(IsWindowVisible(info.hwndList));
        RECT inside = {};
        GetClientRect(info.hwndList, &inside);
        EXPECT_EQ(inside.bottom, SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0) *
                                     static_cast<LRESULT>(list.entries.size()));
        SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        Pump();
    }
}

// Counts, at `deadFonts`, the controls handed a new font while the one they
// held was already deleted.
LRESULT CALLBACK NoteDeadFont(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR deadFonts) {
    if (message == WM_SETFONT) {
        const auto held = reinterpret_cast<HGDIOBJ>(DefSubclassProc(control, WM_GETFONT, 0, 0));
        if (held != nullptr && GetObjectType(held) != OBJ_FONT)
            ++*reinterpret_cast<int*>(deadFonts);
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

// Moved to a monitor of 144 DPI: every control keeps a live font throughout,
// ends with one made for that DPI, and has its place at it.
TEST_F(WindowTest, ADpiChangeRescalesEveryControlAndItsFont) {
    Show();
    int deadFonts = 0;
    for (const ControlRow& row : qor::window::kControls)
        SetWindowSubclass(Find(row), NoteDeadFont, 1, reinterpret_cast<DWORD_PTR>(&deadFonts));
    constexpr int kDpi = 144;
    RECT suggested = {};
    GetWindowRect(Form(), &suggested);
    suggested.right = suggested.left + (suggested.right - suggested.left) * 3 / 2;
    suggested.bottom = suggested.top + (suggested.bottom - suggested.top) * 3 / 2;
    SendMessageW(Form(), WM_DPICHANGED, MAKEWPARAM(kDpi, kDpi),
                 reinterpret_cast<LPARAM>(&suggested));
    Pump();
    EXPECT_EQ(deadFonts, 0);
    for (std::size_t index = 0; index < qor::window::kControls.size(); ++index) {
        const ControlRow& row = qor::window::kControls[index];
        SCOPED_TRACE(std::string(row.name));
        HWND control = Find(row);
        RemoveWindowSubclass(control, NoteDeadFont, 1);
        EXPECT_EQ(Corners(Shown(control)), Corners(Expected(index, kDpi)));
        LOGFONTW font = {};
        ASSERT_EQ(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                             sizeof font, &font),
                  static_cast<int>(sizeof font))
            << "not a live font";
        EXPECT_EQ(font.lfHeight, row.name == "Frame2" ? -17 : -18) << "8.25 or 9 pt at 144 DPI";
    }
}

// Windows 7, 8 and 8.1 lack the per-monitor functions: the window is then
// laid out at the system DPI, in the system's frame for it.
TEST(WindowWithoutPerMonitorDpi, IsLaidOutAtTheSystemDpi) {
    FakeLibrary library;
    const qor::Form1 form(library, qor::DpiFunctions::SystemOnly());
    RECT client = {};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(Corners(client), (std::vector<LONG>{0, 0, 586, 363}));
    for (std::size_t index = 0; index < qor::window::kControls.size(); ++index) {
        SCOPED_TRACE(std::string(qor::window::kControls[index].name));
        EXPECT_EQ(Corners(Shown(GetDlgItem(form.Handle(), qor::window::kControls[index].id))),
                  Corners(Expected(index)));
    }
}

// --- keyboard ---------------------------------------------------------------

TEST_F(WindowTest, TabRunsByTabIndexAndSkipsDisabledButtons) {
    Show();
    EXPECT_EQ(FollowTab(10),
              (Names{"edMsg", "cboParity", "cboBaudRate", "txtDelay", "cboPort", "cmdOpenCom",
                     "edCardSn", "btnReadCard", "edCardType", "edCodeType", "edMsg"}));

    // The button that is clicked and then disabled hands the focus on.
    SetFocus(Find("cmdOpenCom"));
    Click("cmdOpenCom");
    EXPECT_EQ(FocusName(), "edCardSn");
    SetFocus(Find("edMsg"));
    EXPECT_EQ(FollowTab(10),
              (Names{"edMsg", "cboParity", "cboBaudRate", "txtDelay", "cboPort", "cmdCloseCom",
                     "edCardSn", "btnReadCard", "edCardType", "edCodeType", "edMsg"}));
}

TEST_F(WindowTest, EnterAndEscDoNothingAnywhere) {
    Show();
    const qor::window::ControlName names[] = {"cmdOpenCom", "btnReadCard", "cboPort",
                                              "txtDelay",   "edCardSn",    "edMsg"};
    for (qor::window::ControlName name : names) {
        SCOPED_TRACE(std::string(name.Name()));
        SetFocus(Find(name));
        Press(VK_RETURN);
        Press(VK_ESCAPE);
        ASSERT_TRUE(IsWindow(Form()));
        EXPECT_TRUE(IsWindowVisible(Form()));
    }
    EXPECT_TRUE(library.opens.empty());
    EXPECT_TRUE(library.reads.empty());
    EXPECT_EQ(library.closes, 0);
    EXPECT_TRUE(Lines(Find("edMsg")).empty());
}

// --- clicks reach the reader library ----------------------------------------

TEST_F(WindowTest, OpenTakesTheTypedTextsAndCloseReturns) {
    Click("cmdCloseCom");  // disabled: nothing happens
    EXPECT_EQ(library.closes, 0);

    Type("cboPort", L" COM5 ");
    Type("cboBaudRate", L"19200 ");
    Click("cmdOpenCom");
    EXPECT_EQ(library.opens, (std::vector<FakeLibrary::Open>{{"COM5", 19200}}));
    EXPECT_FALSE(IsWindowEnabled(Find("cmdOpenCom")));
    EXPECT_TRUE(IsWindowEnabled(Find("cmdCloseCom")));
    EXPECT_EQ(SendMessageW(Find("cboPort"), CB_GETCOUNT, 0, 0), 2)
        << "typed texts never become entries";

    Click("cmdCloseCom");
    EXPECT_EQ(library.closes, 1);
    EXPECT_TRUE(IsWindowEnabled(Find("cmdOpenCom")));
    EXPECT_FALSE(IsWindowEnabled(Find("cmdCloseCom")));
    EXPECT_EQ(Lines(Find("edMsg")),
              (std::vector<std::wstring>{L"打开串口成功", L"", L"关闭串口成功", L""}));
}

TEST_F(WindowTest, ReadPassesThePositionOfExactlyTheShownText) {
    SetWindowTextW(Find("edCardSn"), L"typed");
    library.SetCard("0000B2C3D4");
    Click("btnReadCard");
    EXPECT_EQ(Text(Find("edCardSn")), L"0000B2C3D4");

    Type("edCardType", L"2-支持44bit");               // differs only in case
    Type("edCodeType", L"5-除去校验位,取低位5字节");  // typed, but an entry
    Click("btnReadCard");
    SendMessageW(Find("edCardType"), CB_SETCURSEL, 0, 0);
    Type("edCodeType", L"");
    Click("btnReadCard");

    EXPECT_EQ(library.ReadTypes(), (Reads{{2, 3}, {-1, 5}, {0, -1}}));
    EXPECT_EQ(Lines(Find("edMsg")).front(), L"读取卡号：0000B2C3D4");
}

// The operator's clicks, keys and touches during a slow read wait in the
// queue; they go when the read is over, but for Alt+F4 and the close box,
// which still close the window.
TEST_F(WindowTest, InputMadeWhileALibraryCallRunsIsDropped) {
    Show();
    HWND read = Find("btnReadCard");
    HCURSOR during = nullptr;
    bool posted = false;
    library.onRead = [&](std::int32_t&, unsigned char*) {
        if (std::exchange(posted, true)) return 0;
        during = GetCursor();
        PostMessageW(read, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        PostMessageW(read, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        PostMessageW(read, WM_KEYDOWN, VK_SPACE, 1);
        PostMessageW(read, WM_KEYUP, VK_SPACE, 1 | 0xC0000000);
        PostMessageW(read, WM_NCMOUSEMOVE, HTCAPTION, 0);
        PostMessageW(read, 0x0246, 1, 0);  // WM_POINTERDOWN, which 7's headers do not name
        return 0;
    };
    Click("btnReadCard");
    MSG left = {};
    EXPECT_FALSE(PeekMessageW(&left, read, 0, 0, PM_NOREMOVE)) << "left: " << left.message;
    Pump();
    EXPECT_EQ(library.reads.size(), 1u);
    EXPECT_EQ(during, LoadCursorW(nullptr, IDC_WAIT));

    library.onRead = [&](std::int32_t&, unsigned char*) {
        PostMessageW(read, WM_SYSKEYDOWN, VK_F4, 1 | 1 << 29);
        return 0;
    };
    Click("btnReadCard");
    Pump();
    EXPECT_EQ(library.reads.size(), 2u);
    EXPECT_EQ(Form(), nullptr) << "Alt+F4 during the read closes the window after it";
    EXPECT_EQ(library.closes, 1);

    form = std::make_unique<qor::Form1>(library);
    Show();
    library.onRead = [&](std::int32_t&, unsigned char*) {
        PostMessageW(Form(), WM_NCLBUTTONDOWN, HTCLOSE, 0);
        return 0;
    };
    Click("btnReadCard");
    Pump();
    EXPECT_EQ(Form(), nullptr)
        << "the close box pressed during the read closes the window after it";
}

// --- the message list -------------------------------------------------------

TEST_F(WindowTest, AppendingNeverScrolls) {
    HWND log = Find("edMsg");
    for (int i = 0; i < 200; ++i) form->AppendLog("line " + std::to_string(i));
    Pump();
    EXPECT_EQ(SendMessageW(log, LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_NE(GetWindowLongW(log, GWL_STYLE) & WS_VSCROLL, 0) << "a scroll bar once it overflows";

    SendMessageW(log, LB_SETTOPINDEX, 100, 0);
    for (int i = 200; i < 400; ++i) form->AppendLog("line " + std::to_string(i));
    Pump();
    EXPECT_EQ(SendMessageW(log, LB_GETTOPINDEX, 0, 0), 100);
    const auto lines = Lines(log);
    ASSERT_EQ(lines.size(), 400u);
    EXPECT_EQ(lines.back(), L"line 399");
}

// --- copying from the message list ------------------------------------------

std::wstring Clipboard() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// What the context menu showed, and which entry to pick (1 for the first).
std::vector<std::wstring> menuEntries;
int menuPick = 0;

// Runs inside the menu's own loop: reads the open menu, then picks by
// keyboard as an operator could.
void CALLBACK PickFromMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (popup == nullptr || !IsWindowVisible(popup)) return;
    KillTimer(nullptr, timer);
    auto* menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        const bool grayed =
            (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0;
        menuEntries.push_back(text + std::wstring(grayed ? L" (grayed)" : L""));
    }
    for (int i = 0; i < menuPick; ++i) PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
}

// The lines an open and a read leave, and what copying them all gives.
const std::vector<std::wstring> kLines = {L"打开串口成功", L"", L"读取卡号：0000B2C3D4"};
const std::wstring kAll = L"打开串口成功\r\n\r\n读取卡号：0000B2C3D4";

class MessageListTest : public WindowTest {
protected:
    void SetUp() override {
        Show();
        Click("cmdOpenCom");
        library.SetCard("0000B2C3D4");
        Click("btnReadCard");
        ASSERT_EQ(Lines(Log()), kLines);
        SetFocus(Log());
    }
    HWND Log() const { return Find("edMsg"); }
    POINT At(int item) const {
        RECT line = {};
        SendMessageW(Log(), LB_GETITEMRECT, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(&line));
        return {line.left + 5, line.top + 1};
    }
    void ClickLine(int item) {
        const POINT at = At(item);
        SendMessageW(Log(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(Log(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    void PressWithControl(WPARAM key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] |= 0x80;
        SetKeyboardState(keys);
        Press(key);
        keys[VK_CONTROL] &= 0x7F;
        SetKeyboardState(keys);
    }
    std::vector<std::wstring> ChooseFromMenu(int item, int entry) {
        menuEntries.clear();
        menuPick = entry;
        SetTimer(nullptr, 0, 20, &PickFromMenu);
        POINT at = At(item);
        ClientToScreen(Log(), &at);
        SendMessageW(Log(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Log()),
                     MAKELPARAM(at.x, at.y));
        return menuEntries;
    }
};

TEST_F(MessageListTest, CtrlCCopiesTheSelectedLineAndAfterCtrlAEveryLine) {
    ClickLine(2);
    PressWithControl('C');
    EXPECT_EQ(Clipboard(), kLines[2]);

    PressWithControl('A');
    PressWithControl('C');
    EXPECT_EQ(Clipboard(), kAll);

    // Neither selecting nor appending scrolls, however many lines there are,
    // and what is appended after Ctrl+A is not selected.
    std::wstring selected = kAll;
    for (int i = 0; i < 200; ++i) {
        form->AppendLog("line " + std::to_string(i));
        selected += L"\r\nline " + std::to_wstring(i);
    }
    PressWithControl('A');
    for (int i = 200; i < 400; ++i) form->AppendLog("line " + std::to_string(i));
    Pump();
    EXPECT_EQ(SendMessageW(Log(), LB_GETTOPINDEX, 0, 0), 0);
    PressWithControl('C');
    EXPECT_EQ(Clipboard(), selected);
}

TEST_F(MessageListTest, ContextMenuCopiesTheSelectionOrEveryLine) {
    using Entries = std::vector<std::wstring>;
    EXPECT_EQ(ChooseFromMenu(0, 1), (Entries{L"复制", L"全部复制"}));
    EXPECT_EQ(Clipboard(), kLines[0]);
    EXPECT_EQ(SendMessageW(Log(), LB_GETSEL, 0, 0), 1) << "the right click selected the line";

    ChooseFromMenu(2, 2);
    EXPECT_EQ(Clipboard(), kAll);

    // A right click inside a selection keeps it for the menu to copy.
    PressWithControl('A');
    ChooseFromMenu(1, 1);
    EXPECT_EQ(Clipboard(), kAll);
}

// The text of the tooltip shown, if any, into the std::wstring at `shown`.
BOOL CALLBACK NoteShownTip(HWND window, LPARAM shown) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring_view(name) != TOOLTIPS_CLASSW || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<std::wstring*>(shown) = Text(window);
    return FALSE;
}

// The tip is made only when the pointer first comes over the list, so it
// is looked for among the thread's windows once the pointer has been there.
TEST_F(MessageListTest, OnlyALineCutOffShowsWholeAsATip) {
    const std::wstring cut = L"读取卡号：" + std::wstring(120, L'0');
    form->AppendLog(Narrow(cut));
    Pump();
    const auto tipOver = [&](int item) {
        POINT at = At(item);
        POINT screen = at;
        ClientToScreen(Log(), &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(Log(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        std::wstring shown;
        for (int i = 0; i < 200 && shown.empty(); ++i) {
            Sleep(10);
            Pump();
            EnumThreadWindows(GetCurrentThreadId(), NoteShownTip, reinterpret_cast<LPARAM>(&shown));
        }
        return shown;
    };
    EXPECT_EQ(tipOver(3), cut);
    EXPECT_EQ(tipOver(2), L"") << "a line that fits shows no tip";
}

// The thread's tooltip, if it has one, into the HWND at `tip`.
BOOL CALLBACK NoteTip(HWND window, LPARAM tip) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring_view(name) != TOOLTIPS_CLASSW) return TRUE;
    *reinterpret_cast<HWND*>(tip) = window;
    return FALSE;
}

// The face and size of the font `window` has, or all zero for none or a
// deleted one.
LOGFONTW FontOf(HWND window) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The window deletes the list's font when the DPI changes; the tip, made
// before, takes the new one from that moment on (Wine's tip keeps a copy of
// the font it is given, Windows's the font itself, so the test compares the
// two by their size).
TEST_F(MessageListTest, TheTipTakesTheListsNewFontWithADpiChange) {
    SendMessageW(Log(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // makes the tip
    HWND tip = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), NoteTip, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(FontOf(tip).lfHeight, FontOf(Log()).lfHeight);

    RECT suggested = {};
    GetWindowRect(Form(), &suggested);
    SendMessageW(Form(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(tip, WM_GETFONT, 0, 0));
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "a deleted font";
    EXPECT_EQ(FontOf(Log()).lfHeight, -18) << "9 pt at 144 DPI";
    EXPECT_EQ(FontOf(tip).lfHeight, FontOf(Log()).lfHeight);
    EXPECT_EQ(std::wstring(FontOf(tip).lfFaceName), std::wstring(FontOf(Log()).lfFaceName));
}

// --- closing ----------------------------------------------------------------

TEST(WindowClosing, EveryWayReleasesThePortOnceAndEndsTheLoop) {
    struct Way {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Way ways[] = {{"close box", WM_CLOSE, 0},
                        {"Alt+F4", WM_SYSCOMMAND, SC_CLOSE},
                        {"end of session", WM_ENDSESSION, TRUE},
                        {"object destroyed", 0, 0}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        MSG stale = {};  // left by windows that went before
        while (PeekMessageW(&stale, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        FakeLibrary library;
        auto form = std::make_unique<qor::Form1>(library);
        HWND window = form->Handle();
        if (way.message != 0) {
            SendMessageW(window, way.message, way.wParam, 0);
            EXPECT_FALSE(IsWindow(window));
            EXPECT_EQ(form->Handle(), nullptr);
        }
        form.reset();
        EXPECT_EQ(library.closes, 1);

        MSG quit = {};
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(quit.wParam, 0u) << "the program's exit code";
    }
}

TEST_F(WindowTest, ClosingAfterClosePortReleasesAgain) {
    Click("cmdOpenCom");
    Click("cmdCloseCom");
    SendMessageW(Form(), WM_CLOSE, 0, 0);
    EXPECT_EQ(library.closes, 2);
}

// --- the system code page ---------------------------------------------------

TEST_F(WindowTest, TextsPassThroughCodePage936) {
    ASSERT_EQ(GetACP(), 936u) << "run with LC_ALL=zh_CN.UTF-8 under Wine";
    library.SetCard("\xD6\xD0");  // 中
    Click("btnReadCard");
    EXPECT_EQ(Text(Find("edCardSn")), L"中");
    EXPECT_EQ(Lines(Find("edMsg")).back(), L"读取卡号：中");

    Type("cboPort", L"COM\u00A01");  // a no-break space: not in 936
    Click("cmdOpenCom");
    Click("cmdCloseCom");
    Type("cboPort", L"COM\U0001F600");  // outside the BMP: two UTF-16 units, one character
    Click("cmdOpenCom");
    ASSERT_EQ(library.opens.size(), 2u);
    EXPECT_EQ(library.opens[0].port, "COM?1");
    EXPECT_EQ(library.opens[1].port, "COM?");
}

}  // namespace

// The window is made of the themed controls the program uses.
int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

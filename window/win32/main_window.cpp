#include "main_window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "message_list.h"
#include "wide_text_win32.h"

namespace qor {
namespace {

using qorplatform::Narrow;
using qorplatform::Widen;
using window::ControlKind;
using window::ControlRow;

constexpr wchar_t kClassName[] = L"Form1";
// Fixed size: no sizing border, no maximize box. Not WS_CLIPCHILDREN: the
// window must paint the insides of its group boxes, which paint only their
// frames.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The icon the executable's resources carry under this ID, if any.
constexpr WORD kIconId = 1;
// Touch and pen input from Windows 8 on, WM_NCPOINTERUPDATE to
// WM_POINTERHWHEEL; the Windows 7 headers the program is built with do not
// name them.
constexpr UINT kFirstPointerMessage = 0x0241;
constexpr UINT kLastPointerMessage = 0x024F;

std::wstring Text(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ItemText(HWND combo, WPARAM item) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, item, 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

// The entry whose text is exactly the shown one, or -1. The combo box's own
// selection will not do: typing selects the first entry that starts with
// the typed text, whatever its case, and CB_FINDSTRINGEXACT ignores case too.
std::int32_t Position(HWND combo) {
    const std::wstring shown = Text(combo);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        if (ItemText(combo, static_cast<WPARAM>(item)) == shown)
            return static_cast<std::int32_t>(item);
    }
    return -1;
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame: return {L"Button", BS_GROUPBOX, 0};
        // Cut rather than wrap: a wrapped last character would vanish below.
        case ControlKind::Label: return {L"Static", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        // No scroll bar: a list drops to all its entries, and every list has
        // far fewer than the 30 at which it would need one. The list of a
        // combo box as short as its edit part would otherwise show and hide
        // its scroll bar as entries are added, each time a round trip to
        // Wine's server and X.
        case ControlKind::ComboBox:
            return {L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP, 0};
        case ControlKind::TextBox:
            return {L"Edit", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::Button: return {L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0};
        // Extended selection, for Ctrl+A; appending still never scrolls.
        case ControlKind::ListBox:
            return {L"ListBox", LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
    }
    return {};
}

// Where a control sits in the window's client area, in twips: every control
// is a child of the window itself, since a group box as parent would keep
// the notifications of the controls inside it.
POINT OffsetInWindow(std::size_t row) {
    POINT at = {window::kControls[row].left, window::kControls[row].top};
    for (std::size_t outer = window::kContainerRows[row]; outer != window::kNoRow;
         outer = window::kContainerRows[outer]) {
        at.x += window::kControls[outer].left;
        at.y += window::kControls[outer].top;
    }
    return at;
}

HFONT MakeFont(const std::wstring& family, double points, BYTE charSet, UINT dpi) {
    LOGFONTW font = {};
    font.lfHeight =
        -MulDiv(static_cast<int>(std::lround(points * 100)), static_cast<int>(dpi), 7200);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = charSet;
    // Song faces are drawn for whole pixels at this size (Windows shows them
    // from their bitmaps); smoothing turns their thin strokes grey.
    font.lfQuality = NONANTIALIASED_QUALITY;
    family.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

// A drop-down combo box is as tall as its font makes it, unless the height
// of its edit part is set. What a given setting yields is measured rather
// than assumed: Wine adds two pixels to the setting that Windows does not,
// and reads the setting back with them added, so only a setting that was
// sent is passed on. `guess`, when not CB_ERR, is sent first (the setting
// that fitted another combo box with the same font and height): each
// setting sent makes the combo box lay itself out again. Returns the
// setting that fitted.
LRESULT FitComboHeight(HWND combo, int height, LRESULT guess) {
    LRESULT setting = guess;
    if (setting != CB_ERR) {
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), setting);
    } else {
        setting = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        if (setting == CB_ERR) return CB_ERR;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT shown = {};
        GetWindowRect(combo, &shown);
        const int difference = height - static_cast<int>(shown.bottom - shown.top);
        if (difference == 0) return setting;
        if (setting + difference < 1) return CB_ERR;
        setting += difference;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), setting);
    }
    return CB_ERR;
}

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(LoadImageW(
        instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    // Registering again, for a second window, fails harmlessly.
    RegisterClassExW(&windowClass);
}

}  // namespace

Form1::Form1(ReaderLibrary& library, const DpiFunctions& dpi)
    : controller_(library, *this), dpiFunctions_(dpi) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterFormClass(instance, &Form1::Procedure);
    // WM_NCCREATE sets window_.
    CreateWindowExW(0, kClassName, Widen(window::kCaption).c_str(), kWindowStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
    if (window_ == nullptr) return;
    dpi_ = dpiFunctions_.ForWindow(window_);
    MakeFonts();
    BuildControls();
    FitComboHeights();
    SelectDefaults();
    Centre();
    // Focus starts on the lowest tab index that can take it.
    focus_ = GetNextDlgTabItem(window_, nullptr, FALSE);
}

// A window destroyed without having been closed has still gone away: the
// port must be released all the same.
Form1::~Form1() {
    controller_.ShutdownPort();
    if (window_ != nullptr) DestroyWindow(window_);
}

int Form1::Scale(int twips) const { return MulDiv(twips, static_cast<int>(dpi_), 1440); }

void Form1::BuildControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // A new child goes below its siblings, and Tab follows that order, so
    // the controls are made in tab order. The group boxes come last, each
    // after what it contains: below the controls inside them, they never
    // paint over them, and no later move to the bottom costs a round trip.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < window::kControls.size(); ++i)
        if (window::kControls[i].kind != ControlKind::Frame) order.push_back(i);
    std::ranges::stable_sort(order, {},
                             [](std::size_t i) { return window::kControls[i].tabIndex; });
    for (std::size_t i = window::kControls.size(); i-- > 0;)
        if (window::kControls[i].kind == ControlKind::Frame) order.push_back(i);

    for (std::size_t i : order) {
        const ControlRow& row = window::kControls[i];
        const ControlClass control = ClassOf(row.kind);
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control.style;
        if ((row.traits & window::kStartsDisabled) != 0) style |= WS_DISABLED;
        // Made where it belongs: under Wine each later move is a round trip
        // to the display server.
        const RECT at = Placement(i);
        controls_[i] = CreateWindowExW(
            control.exStyle, control.name, Widen(row.text).c_str(), style, at.left, at.top,
            at.right - at.left, at.bottom - at.top, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
        // Its font at once, while a combo box's list is still empty: laying
        // the list out again for a new font costs Wine more once it holds
        // entries.
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(i)), FALSE);
    }
    for (const window::ListRow& list : window::kLists) {
        HWND combo = Control(list.control);
        for (std::string_view entry : list.entries) {
            // Its item data starts at 0, as every entry's must.
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
        }
    }
    messages_ = std::make_unique<MessageList>(Control("edMsg"));
}

void Form1::SelectDefaults() {
    for (const window::ListRow& list : window::kLists)
        SendMessageW(Control(list.control), CB_SETCURSEL, static_cast<WPARAM>(list.defaultPosition),
                     0);
}

void Form1::MakeFonts() {
    // The first Song face by name, with no search for one that is installed:
    // where it is missing, the font mapper answers with a Chinese face of
    // its own, since the font asks for GB2312 characters (under Wine, the
    // same face a search of the others would find).
    windowFont_.reset(MakeFont(Widen(window::kWindowFontFamilies.front()),
                               window::kWindowFontPoints, GB2312_CHARSET, dpi_));
    ownFont_.reset(
        MakeFont(Widen(window::kOwnFontFamily), window::kOwnFontPoints, DEFAULT_CHARSET, dpi_));
}

// Where a control goes at the window's current DPI, in the window's client
// area. A combo box is only as tall as its edit part: the common controls
// of version 6, which the manifest asks for, drop a list to as many entries
// as it holds (up to CB_SETMINVISIBLE's 30), whatever its combo box's
// height. A taller combo box would carry a hidden list window of that
// height through each of its layouts, which under Wine costs some fifty
// round trips to its server per combo box.
RECT Form1::Placement(std::size_t index) const {
    const ControlRow& row = window::kControls[index];
    const POINT at = OffsetInWindow(index);
    const int left = Scale(at.x);
    const int top = Scale(at.y);
    return {left, top, left + Scale(row.width), top + Scale(row.height)};
}

// The combo boxes all have one height and one font, so the setting that
// fitted the first is tried first on the others.
void Form1::FitComboHeights() {
    LRESULT setting = CB_ERR;
    for (std::size_t i = 0; i < window::kControls.size(); ++i) {
        if (window::kControls[i].kind == ControlKind::ComboBox)
            setting = FitComboHeight(controls_[i], Scale(window::kControls[i].height), setting);
    }
}

HFONT Form1::FontOf(std::size_t row) const {
    return (window::kControls[row].traits & window::kOwnFont) != 0 ? ownFont_.get()
                                                                   : windowFont_.get();
}

// Gives every control the fonts made for the window's new DPI, its place
// and size at that DPI, and fits the combo boxes again.
void Form1::Rescale() {
    const BOOL redraw = IsWindowVisible(window_);
    for (std::size_t i = 0; i < window::kControls.size(); ++i) {
        HWND control = controls_[i];
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(i)), redraw);
        // Drawn afresh where it goes: the pixels it had, which a move would
        // copy along, show its text at the old size.
        const RECT at = Placement(i);
        SetWindowPos(control, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    FitComboHeights();
}

void Form1::Centre() {
    RECT frame = {0, 0, Scale(window::kClientWidthTwips), Scale(window::kClientHeightTwips)};
    dpiFunctions_.AdjustFrame(frame, kWindowStyle, 0, dpi_);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Form1::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        form->controls_.fill(nullptr);
        form->focus_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return form->OnMessage(message, wParam, lParam);
}

LRESULT Form1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        // The focus is the window's own, as in a dialog: kept while another
        // window is active and handed back to the same control.
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) focus_ = focus;
            }
            break;
        case WM_SETFOCUS:
            if (focus_ != nullptr) SetFocus(focus_);
            return 0;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            // The controls hold the old fonts until Rescale hands them the
            // new ones: only then may the old ones go.
            const Font oldWindowFont = std::move(windowFont_);
            const Font oldOwnFont = std::move(ownFont_);
            MakeFonts();
            Rescale();
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                         suggested.right - suggested.left, suggested.bottom - suggested.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        // The session is ending and the process may not see WM_DESTROY.
        case WM_ENDSESSION:
            if (wParam != FALSE) {
                controller_.ShutdownPort();
                DestroyWindow(window_);
            }
            return 0;
        // Closing, by any route, ends here; nothing may refuse it.
        case WM_DESTROY:
            controller_.ShutdownPort();
            PostQuitMessage(0);
            return 0;
        default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// Enter and Esc arrive as IDOK and IDCANCEL, which no control has: the
// window has no default and no cancel button. A disabled button's click,
// which BM_CLICK can still produce, is no click.
void Form1::OnCommand(int id, int code, HWND from) {
    if (code != BN_CLICKED || from == nullptr || !IsWindowEnabled(from)) return;
    if (id == window::ControlId("cmdOpenCom") && from == Control("cmdOpenCom")) {
        controller_.OpenPort(Narrow(Text(Control("cboPort"))),
                             Narrow(Text(Control("cboBaudRate"))));
    } else if (id == window::ControlId("cmdCloseCom") && from == Control("cmdCloseCom")) {
        controller_.ClosePort();
    } else if (id == window::ControlId("btnReadCard") && from == Control("btnReadCard")) {
        controller_.ReadCardNumber(Position(Control("edCardType")),
                                   Position(Control("edCodeType")));
    }
}

// A disabled control loses the focus, and with nothing focused the keyboard
// would reach no control at all: the focus moves on first, as Tab would.
void Form1::SetEnabled(HWND control, bool enabled) {
    if (!enabled && GetFocus() == control) {
        HWND next = GetNextDlgTabItem(window_, control, FALSE);
        if (next != nullptr && next != control) SetFocus(next);
    }
    EnableWindow(control, enabled ? TRUE : FALSE);
}

void Form1::SetOpenComEnabled(bool enabled) { SetEnabled(Control("cmdOpenCom"), enabled); }

void Form1::SetCloseComEnabled(bool enabled) { SetEnabled(Control("cmdCloseCom"), enabled); }

void Form1::SetCardSn(std::string_view text) {
    SetWindowTextW(Control("edCardSn"), Widen(text).c_str());
}

// Adding to an unsorted list box puts the line at the end and leaves the
// view where the operator has it.
void Form1::AppendLog(std::string_view line) {
    SendMessageW(Control("edMsg"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line).c_str()));
}

void Form1::SetBusy(bool busy) {
    if (busy) {
        // Shown at once: the thread reaches WM_SETCURSOR again only after the call.
        cursorBeforeCall_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return;
    }
    SetCursor(cursorBeforeCall_);
    // The clicks, keys and touches made during the call wait in the queue
    // now, on the title bar too. They were meant for a window that could not
    // answer, so they go; Alt+F4 and the close box, the ways to close the
    // window, still close it.
    MSG message;
    bool closeAsked = false;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
        closeAsked |= message.message == WM_SYSKEYDOWN && message.wParam == VK_F4;
    while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE))
        closeAsked |= message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE;
    while (PeekMessageW(&message, nullptr, kFirstPointerMessage, kLastPointerMessage, PM_REMOVE)) {
    }
    if (closeAsked && window_ != nullptr) PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace qor

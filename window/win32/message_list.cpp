#include "message_list.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "control_table.h"
#include "wide_text_win32.h"

namespace qor {
namespace {

using qorplatform::Widen;

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kCopy = 1;
constexpr UINT kCopyAll = 2;
// Where the list box starts a line's text, and a little over: a line that
// ends within it is not worth a tooltip.
constexpr int kTextMargin = 2;

std::wstring Joined(HWND list, const std::vector<int>& items) {
    std::wstring text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int item = items[i];
        if (i > 0) text += L"\r\n";
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(item), 0);
        if (length == LB_ERR) continue;
        std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
        line.resize(static_cast<std::size_t>(SendMessageW(
            list, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(line.data()))));
        text += line;
    }
    return text;
}

void PutOnClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (void* at = memory != nullptr ? GlobalLock(memory) : nullptr) {
        std::memcpy(at, text.c_str(), bytes);
        GlobalUnlock(memory);
        // Once set, the memory is the clipboard's.
        if (SetClipboardData(CF_UNICODETEXT, memory) != nullptr) memory = nullptr;
    }
    if (memory != nullptr) GlobalFree(memory);
    CloseClipboard();
}

}  // namespace

MessageList::MessageList(HWND list) : list_(list) {
    SetWindowSubclass(list, &MessageList::Procedure, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
}

// Made when the pointer first comes over the list rather than with the
// window: a tip is a top-level window of its own, and under Wine making one
// takes over a hundred round trips to its server, which a start-up need
// not wait for.
void MessageList::EnsureTip() {
    if (tip_ != nullptr) return;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(list_, GA_ROOT), nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    // One tool, the whole list; its text is asked for each time it shows, so
    // it is always the line under the pointer. The notification comes to the
    // list itself, that is, here.
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    // Transparent: the tip lies over the line, and the pointer's moves must
    // still reach the list.
    tool.uFlags = TTF_IDISHWND | TTF_TRANSPARENT;
    tool.hwnd = list_;
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // In the list's own font; a new one reaches the tip with the list's
    // (WM_SETFONT, below).
    SendMessageW(tip_, WM_SETFONT, static_cast<WPARAM>(SendMessageW(list_, WM_GETFONT, 0, 0)),
                 FALSE);
}

MessageList::~MessageList() {
    if (list_ == nullptr) return;
    RemoveWindowSubclass(list_, &MessageList::Procedure, kSubclassId);
    if (tip_ != nullptr) DestroyWindow(tip_);
}

LRESULT CALLBACK MessageList::Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) {
    // The list goes with its window, and so does the tip, which that
    // window owns.
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(list, &MessageList::Procedure, kSubclassId);
        auto* messages = reinterpret_cast<MessageList*>(self);
        messages->list_ = nullptr;
        messages->tip_ = nullptr;
        return DefSubclassProc(list, message, wParam, lParam);
    }
    return reinterpret_cast<MessageList*>(self)->OnMessage(message, wParam, lParam);
}

LRESULT MessageList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        // The window's loop hands keys to IsDialogMessage, which passes
        // these on to the focused control: they arrive here.
        case WM_KEYDOWN:
            if (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
                if (wParam == 'C' || wParam == VK_INSERT) {
                    CopySelected();
                    return 0;
                }
                if (wParam == 'A') {
                    SelectAll();
                    return 0;
                }
            }
            break;
        // The same keys as characters 1 and 3, which the list box would look
        // for at the start of a line.
        case WM_CHAR:
            if (wParam == 1 || wParam == 3) return 0;
            break;
        case WM_CONTEXTMENU: ShowMenu(lParam); return 0;
        // The window deletes the font it replaces (a DPI change), so the tip
        // takes the new one at the same moment, not at its next showing.
        case WM_SETFONT:
            if (tip_ != nullptr) SendMessageW(tip_, WM_SETFONT, wParam, lParam);
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom != tip_) break;
            if (header->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                info->hinst = nullptr;
                info->lpszText = TipText();
                return 0;
            }
            if (header->code == TTN_SHOW) return PlaceTip() ? TRUE : FALSE;
            break;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: RelayToTip(message, wParam, lParam); break;
        default: break;
    }
    return DefSubclassProc(list_, message, wParam, lParam);
}

// Within the one tool the pointer may pass from line to line: the tip of
// the line it leaves goes, and the next line's is asked for afresh.
void MessageList::RelayToTip(UINT message, WPARAM wParam, LPARAM lParam) {
    EnsureTip();
    if (message == WM_MOUSEMOVE) {
        const int item = ItemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (item != hovered_) {
            hovered_ = item;
            SendMessageW(tip_, TTM_POP, 0, 0);
        }
    }
    MSG relayed = {};
    relayed.hwnd = list_;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = static_cast<DWORD>(GetMessageTime());
    GetCursorPos(&relayed.pt);
    SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

// An empty text shows no tip. The line is the one under the pointer now:
// the list may have scrolled under a pointer that stayed put.
wchar_t* MessageList::TipText() {
    POINT at = {};
    GetCursorPos(&at);
    ScreenToClient(list_, &at);
    hovered_ = ItemAt(at);
    tipText_ = hovered_ >= 0 ? Line(hovered_) : std::wstring();
    if (!IsCut(tipText_)) tipText_.clear();
    return tipText_.data();
}

// Over the line it shows, its text where the line's starts, so the line
// reads on past the list's edge; moved left as far as the screen needs.
bool MessageList::PlaceTip() const {
    RECT line = {};
    if (hovered_ < 0 || SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(hovered_),
                                     reinterpret_cast<LPARAM>(&line)) == LB_ERR)
        return false;
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&line), 2);
    RECT text = {line.left + kTextMargin, line.top, line.right, line.bottom};
    SendMessageW(tip_, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&text));
    RECT shown = {};  // already sized for the text
    GetWindowRect(tip_, &shown);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&line, MONITOR_DEFAULTTONEAREST), &monitor);
    const LONG left =
        std::max(monitor.rcWork.left,
                 std::min(text.left, monitor.rcWork.right - (shown.right - shown.left)));
    SetWindowPos(tip_, nullptr, left, text.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

// Every line is as high as the first, and there may be more lines than
// LB_ITEMFROMPOINT's 16 bits can count.
int MessageList::ItemAt(POINT client) const {
    RECT area = {};
    GetClientRect(list_, &area);
    const auto height = static_cast<int>(SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
    if (!PtInRect(&area, client) || height <= 0) return -1;
    const auto item =
        static_cast<int>(SendMessageW(list_, LB_GETTOPINDEX, 0, 0)) + client.y / height;
    return item < static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)) ? item : -1;
}

std::wstring MessageList::Line(int item) const { return Joined(list_, {item}); }

bool MessageList::IsCut(const std::wstring& line) const {
    if (line.empty()) return false;
    HDC screen = GetDC(list_);
    const HGDIOBJ old =
        SelectObject(screen, reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(screen, line.c_str(), static_cast<int>(line.size()), &size);
    SelectObject(screen, old);
    ReleaseDC(list_, screen);
    RECT area = {};
    GetClientRect(list_, &area);
    return size.cx + kTextMargin > area.right;
}

// Selecting every line scrolls nothing: the view stays where the operator
// has it, as it does when lines are appended.
void MessageList::SelectAll() { SendMessageW(list_, LB_SETSEL, TRUE, -1); }

void MessageList::CopySelected() const {
    const auto count = static_cast<int>(SendMessageW(list_, LB_GETSELCOUNT, 0, 0));
    if (count <= 0) return;
    std::vector<int> items(static_cast<std::size_t>(count));
    items.resize(static_cast<std::size_t>(
        std::max<LRESULT>(0, SendMessageW(list_, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                          reinterpret_cast<LPARAM>(items.data())))));
    if (!items.empty()) PutOnClipboard(list_, Joined(list_, items));
}

void MessageList::CopyAll() const {
    const auto count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    if (count <= 0) return;
    std::vector<int> items(static_cast<std::size_t>(count));
    for (int item = 0; item < count; ++item) items[static_cast<std::size_t>(item)] = item;
    PutOnClipboard(list_, Joined(list_, items));
}

// A right click on a line outside the selection makes that line the
// selection, as a left click would; on a selected line it keeps the
// selection for the menu to copy. From the keyboard the menu opens at the
// current line, if it is in view.
void MessageList::ShowMenu(LPARAM at) {
    POINT where = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == static_cast<LPARAM>(-1)) {
        RECT line = {};
        RECT area = {};
        GetClientRect(list_, &area);
        const LRESULT caret = SendMessageW(list_, LB_GETCARETINDEX, 0, 0);
        const bool shown = caret != LB_ERR &&
                           SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(caret),
                                        reinterpret_cast<LPARAM>(&line)) != LB_ERR &&
                           line.bottom > area.top && line.bottom <= area.bottom;
        where = shown ? POINT{line.left, line.bottom} : POINT{0, 0};
        ClientToScreen(list_, &where);
    } else {
        POINT client = where;
        ScreenToClient(list_, &client);
        const int item = ItemAt(client);
        if (item >= 0 && SendMessageW(list_, LB_GETSEL, static_cast<WPARAM>(item), 0) <= 0) {
            SendMessageW(list_, LB_SETSEL, FALSE, -1);
            SendMessageW(list_, LB_SETSEL, TRUE, item);
            SendMessageW(list_, LB_SETCARETINDEX, static_cast<WPARAM>(item), FALSE);
        }
    }

    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    const bool anySelected = SendMessageW(list_, LB_GETSELCOUNT, 0, 0) > 0;
    const bool anyLine = SendMessageW(list_, LB_GETCOUNT, 0, 0) > 0;
    AppendMenuW(menu, MF_STRING | (anySelected ? MF_ENABLED : MF_GRAYED), kCopy,
                Widen(window::kCopyText).c_str());
    AppendMenuW(menu, MF_STRING | (anyLine ? MF_ENABLED : MF_GRAYED), kCopyAll,
                Widen(window::kCopyAllText).c_str());
    const auto chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, where.x, where.y, 0,
                       GetAncestor(list_, GA_ROOT), nullptr));
    DestroyMenu(menu);
    if (chosen == kCopy) CopySelected();
    if (chosen == kCopyAll) CopyAll();
}

}  // namespace qor

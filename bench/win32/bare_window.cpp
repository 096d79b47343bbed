#include "bare_window.h"

#include "control_table.h"
#include "wide_text_win32.h"

namespace {

using qor::window::ControlKind;

const wchar_t* ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame:
        case ControlKind::Button: return L"BUTTON";
        case ControlKind::Label: return L"STATIC";
        case ControlKind::ComboBox: return L"COMBOBOX";
        case ControlKind::TextBox: return L"EDIT";
        case ControlKind::ListBox: return L"LISTBOX";
    }
    return L"STATIC";
}

DWORD StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame: return BS_GROUPBOX;
        case ControlKind::Button: return BS_PUSHBUTTON | WS_TABSTOP;
        case ControlKind::ComboBox: return CBS_DROPDOWN | WS_TABSTOP;
        case ControlKind::TextBox: return ES_AUTOHSCROLL | WS_TABSTOP;
        case ControlKind::ListBox: return LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
        case ControlKind::Label: return 0;
    }
    return 0;
}

// The window's font, made once as the window makes it at 96 DPI.
HFONT SongFont() {
    static const HFONT kFont = [] {
        LOGFONTW font = {};
        font.lfHeight = -MulDiv(static_cast<int>(qor::window::kWindowFontPoints * 100), 96, 7200);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = GB2312_CHARSET;
        font.lfQuality = NONANTIALIASED_QUALITY;
        qorplatform::Widen(qor::window::kWindowFontFamilies.front())
            .copy(font.lfFaceName, LF_FACESIZE - 1);
        return CreateFontIndirectW(&font);
    }();
    return kFont;
}

}  // namespace

HWND MakeBareWindow() {
    static const bool kRegistered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = L"BareWindow";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!kRegistered) return nullptr;
    RECT frame = {0, 0, qor::window::TwipsToPixels(qor::window::kClientWidthTwips),
                  qor::window::TwipsToPixels(qor::window::kClientHeightTwips)};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(
        0, L"BareWindow", qorplatform::Widen(qor::window::kCaption).c_str(), style, CW_USEDEFAULT,
        CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
        GetModuleHandleW(nullptr), nullptr);
    for (const qor::window::ControlRow& row : qor::window::kControls) {
        HWND control = CreateWindowExW(
            0, ClassOf(row.kind), qorplatform::Widen(row.text).c_str(),
            WS_CHILD | WS_VISIBLE | StyleOf(row.kind), qor::window::TwipsToPixels(row.left),
            qor::window::TwipsToPixels(row.top), qor::window::TwipsToPixels(row.width),
            qor::window::TwipsToPixels(row.height), window, nullptr, GetModuleHandleW(nullptr),
            nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(SongFont()), FALSE);
    }
    return window;
}

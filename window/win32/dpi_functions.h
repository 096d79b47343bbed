#pragma once

#include <windows.h>

namespace qor {

// The DPI a window is laid out for, and the frame a window needs around its
// client area at that DPI. Windows 10 1607 and later answer per monitor.
// Windows 7, 8 and 8.1 lack those functions: there the system DPI, which
// holds for every window until a WM_DPICHANGED says otherwise, and the
// system's frame at it.
class DpiFunctions {
public:
    // This Windows's own, looked up once.
    static const DpiFunctions& OfThisSystem();
    // The system DPI alone, as on Windows 7, whatever this Windows has.
    static const DpiFunctions& SystemOnly();

    UINT ForWindow(HWND window) const;
    // Grows `client` into the window's frame for a window of these styles.
    void AdjustFrame(RECT& client, DWORD style, DWORD exStyle, UINT dpi) const;

private:
    using ForWindowFunction = UINT(WINAPI*)(HWND);
    using AdjustFrameFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

    DpiFunctions(ForWindowFunction forWindow, AdjustFrameFunction adjustFrame)
        : forWindow_(forWindow), adjustFrame_(adjustFrame) {}

    ForWindowFunction forWindow_;
    AdjustFrameFunction adjustFrame_;
};

}  // namespace qor

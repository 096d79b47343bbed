#include "dpi_functions.h"

namespace qor {
namespace {

// From USER32, which the program links: a function this Windows lacks is
// null, where a static import would keep the program from starting at all.
template <typename Function>
Function FromUser32(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

const DpiFunctions& DpiFunctions::OfThisSystem() {
    static const DpiFunctions kFunctions(
        FromUser32<ForWindowFunction>("GetDpiForWindow"),
        FromUser32<AdjustFrameFunction>("AdjustWindowRectExForDpi"));
    return kFunctions;
}

const DpiFunctions& DpiFunctions::SystemOnly() {
    static const DpiFunctions kFunctions(nullptr, nullptr);
    return kFunctions;
}

UINT DpiFunctions::ForWindow(HWND window) const {
    if (forWindow_ != nullptr) {
        if (const UINT dpi = forWindow_(window); dpi != 0) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// Without the per-DPI function the frame is the system's, which is right for
// the system DPI: where that function is missing, no other DPI reaches here.
void DpiFunctions::AdjustFrame(RECT& client, DWORD style, DWORD exStyle, UINT dpi) const {
    if (adjustFrame_ != nullptr && adjustFrame_(&client, style, FALSE, exStyle, dpi)) return;
    AdjustWindowRectEx(&client, style, FALSE, exStyle);
}

}  // namespace qor

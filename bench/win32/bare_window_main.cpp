// The bare window as a program of its own, for the memory yardstick; the
// benchmark ends it. "--texts": the one with the window's texts and font.
#include "bare_window.h"

#include <string_view>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    HWND window = MakeBareWindow(std::wstring_view(commandLine) == L"--texts");
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "main_window.h"
#include "qorcomm_library.h"

namespace {

// A fault, in the reader library say, ends the program at once, and the
// system releases the port. A crash dialog, or the debugger Wine starts,
// would keep the program and its port until someone came along.
LONG WINAPI EndAtOnce(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    SetUnhandledExceptionFilter(EndAtOnce);
    // The manifest asks for version 6 of the common controls, the themed
    // ones; they are ready only once initialised.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    qor::QorCommLibrary library;
    qor::Form1 form(library);
    if (form.Handle() == nullptr) return EXIT_FAILURE;
    ShowWindow(form.Handle(), showCommand);

    // The window posts WM_QUIT when it goes away, having released the port.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(form.Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return EXIT_SUCCESS;
}

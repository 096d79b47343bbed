#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string_view>
#include <type_traits>

#include "control_table.h"
#include "dpi_functions.h"
#include "reader_controller.h"
#include "reader_library.h"
#include "reader_view.h"

namespace qor {

class MessageList;

// The program's only window, made of the system's own controls from the
// control table. Every control is a direct child of the window with the ID
// its row of the table gives (ControlRow::id). Tab, Enter and Esc work only if the message
// loop hands each message to IsDialogMessageW(Handle(), ...) first. The
// window posts WM_QUIT when it goes away.
class Form1 final : public ReaderView {
public:
    // `library` must outlive the window: closing or destroying the window
    // still calls into it. The window starts hidden; show it with ShowWindow.
    // `dpi` tells the DPI the window is laid out for (tests choose the
    // system DPI alone, as Windows before 10 has it).
    explicit Form1(ReaderLibrary& library, const DpiFunctions& dpi = DpiFunctions::OfThisSystem());
    ~Form1() override;

    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Null once the window has been destroyed, or if it could not be made.
    HWND Handle() const noexcept { return window_; }

    void SetOpenComEnabled(bool enabled) override;
    void SetCloseComEnabled(bool enabled) override;
    void SetCardSn(std::string_view text) override;
    void AppendLog(std::string_view line) override;
    void SetBusy(bool busy) override;

private:
    struct FontDeleter {
        void operator()(HFONT font) const noexcept { DeleteObject(font); }
    };
    using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code, HWND from);

    void BuildControls();
    void FitComboHeights();
    void SelectDefaults();
    void MakeFonts();
    HFONT FontOf(std::size_t row) const;    // by row of the table
    RECT Placement(std::size_t row) const;  // by row of the table
    void Rescale();
    void Centre();
    int Scale(int twips) const;
    void SetEnabled(HWND control, bool enabled);
    HWND Control(window::ControlName name) const { return controls_[name.row]; }

    ReaderController controller_;
    const DpiFunctions& dpiFunctions_;
    HWND window_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    Font windowFont_;
    Font ownFont_;
    std::array<HWND, window::kControls.size()> controls_{};  // by row of the table
    std::unique_ptr<MessageList> messages_;                  // what edMsg does beyond a list box
    HWND focus_ = nullptr;  // where focus goes back to when the window is activated
    HCURSOR cursorBeforeCall_ = nullptr;
};

}  // namespace qor

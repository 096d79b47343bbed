#pragma once

#include <windows.h>

#include <string>

namespace qor {

// What the message list offers beyond the list box it is: Ctrl+C copies the
// selected lines, Ctrl+A selects them all, a context menu copies the
// selection or every line, and a line cut off at the right shows whole as a
// tooltip. The list box stays the system's own, which is what screen
// readers know; it needs LBS_EXTENDEDSEL for Ctrl+A, and no
// LBS_WANTKEYBOARDINPUT, since the keys are taken here.
class MessageList final {
public:
    // Takes over the list box's messages until the list box is destroyed
    // or this object goes, whichever comes first.
    explicit MessageList(HWND list);
    ~MessageList();

    MessageList(const MessageList&) = delete;
    MessageList& operator=(const MessageList&) = delete;

    void SelectAll();
    // As CF_UNICODETEXT, lines separated by CRLF; with nothing selected the
    // clipboard is left alone.
    void CopySelected() const;
    void CopyAll() const;

private:
    static LRESULT CALLBACK Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowMenu(LPARAM at);
    void EnsureTip();
    void RelayToTip(UINT message, WPARAM wParam, LPARAM lParam);
    wchar_t* TipText();
    bool PlaceTip() const;

    int ItemAt(POINT client) const;
    std::wstring Line(int item) const;
    bool IsCut(const std::wstring& line) const;

    HWND list_;
    HWND tip_ = nullptr;
    int hovered_ = -1;
    std::wstring tipText_;  // the tooltip reads it after the notification returns
};

}  // namespace qor

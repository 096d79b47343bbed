#pragma once

#include <string_view>

namespace qor {

// What the reader commands need of the window. Texts are UTF-8.
class ReaderView {
public:
    virtual ~ReaderView() = default;

    virtual void SetOpenComEnabled(bool enabled) = 0;   // cmdOpenCom
    virtual void SetCloseComEnabled(bool enabled) = 0;  // cmdCloseCom
    virtual void SetCardSn(std::string_view text) = 0;  // edCardSn
    virtual void AppendLog(std::string_view line) = 0;  // one line at the end of edMsg

    // True just before each library call, false as soon as it returns. The
    // call blocks the window's thread, so the window shows it is busy before
    // it starts, and drops the clicks and keys that reached it meanwhile
    // instead of running them once the call is over.
    virtual void SetBusy(bool busy) = 0;
};

}  // namespace qor

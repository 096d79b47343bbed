#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reader_view.h"

// Records every call in order as one line, so a test can compare the whole
// sequence the window would have seen.
class FakeView : public qor::ReaderView {
public:
    void SetOpenComEnabled(bool enabled) override { Record("cmdOpenCom=", enabled ? "1" : "0"); }
    void SetCloseComEnabled(bool enabled) override { Record("cmdCloseCom=", enabled ? "1" : "0"); }
    void SetCardSn(std::string_view text) override { Record("edCardSn=", text); }
    void AppendLog(std::string_view line) override { Record("log:", line); }
    // Not an event: what the window shows while the library works.
    void SetBusy(bool nowBusy) override { busy = nowBusy; }

    std::vector<std::string> events;
    bool busy = false;

private:
    void Record(std::string_view what, std::string_view value) {
        events.push_back(std::string(what).append(value));
    }
};

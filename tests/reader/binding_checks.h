#pragma once

// What the binding must do with the fake reader library (fake_qorcomm.c),
// on either platform.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qorcomm_library.h"

inline void ExpectArgumentsAndResultsPassThrough(qor::QorCommLibrary& library) {
    EXPECT_EQ(library.CROpenCom("COM7", 19200), 19200);
    EXPECT_EQ(library.CROpenCom("COM8", 19200), -2);
    EXPECT_EQ(library.BindFailure(), "");
    std::int32_t aux = 41;
    unsigned char sn[11] = {};
    EXPECT_EQ(library.CRReadCardSN(aux, sn, 2, 3), 0);
    EXPECT_EQ(aux, 42);
    EXPECT_STREQ(reinterpret_cast<char*>(sn), "T2C3");
    EXPECT_EQ(library.CRCloseCom(), 7);
}

// The window's events for an open and two reads when CRReadCardSN could
// not be bound for `reason`.
inline std::vector<std::string> OpenThenTwoUnboundReads(const std::string& reason) {
    const std::string line = "log:无法加载读卡器库：" + reason;
    std::vector<std::string> events{"cmdOpenCom=0", "cmdCloseCom=1", "log:打开串口成功", "log:"};
    for (int read = 0; read < 2; ++read) events.insert(events.end(), {line, "edCardSn="});
    return events;
}

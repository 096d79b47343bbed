#pragma once

#include <string_view>

// Every line the reader commands add to the message list, in one place to
// check against the window. UTF-8; the colons are full-width (U+FF1A).
namespace qor::texts {

inline constexpr std::string_view kPortOpened = "打开串口成功";
inline constexpr std::string_view kOpenFailed = "打开串口失败";
inline constexpr std::string_view kPortClosed = "关闭串口成功";
inline constexpr std::string_view kCloseFailed = "关闭串口失败";
inline constexpr std::string_view kCardRead = "读取卡号：";                    // then the number
inline constexpr std::string_view kReadFailed = "读取卡号失败：";              // then the result
inline constexpr std::string_view kLibraryUnavailable = "无法加载读卡器库：";  // then why
inline constexpr std::string_view kBlankLine = "";  // ends an open's or a close's lines

}  // namespace qor::texts

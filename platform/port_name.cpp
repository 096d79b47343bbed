#include "port_name.h"

namespace qorplatform {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::optional<unsigned> ComPortNumber(std::string_view name) {
    if (name.size() < 4 || Upper(name[0]) != 'C' || Upper(name[1]) != 'O' ||
        Upper(name[2]) != 'M') {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    if (digits.size() > kMaxComDigits || digits[0] == '0') return std::nullopt;
    unsigned n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

}  // namespace qorplatform

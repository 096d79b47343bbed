#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "code_page.h"
#include "utf8.h"

namespace qor {
namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

enum class Stop { Done, BadSequence, Truncated };

// One iconv pass until the input is used up or cannot go on; the output
// grows as needed.
Stop Convert(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out) {
    for (;;) {
        const std::size_t used = out.size();
        out.resize(used + inLeft * 4 + 16);
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        char* inPtr = const_cast<char*>(in);  // iconv's signature, not a write
        const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        in = inPtr;
        out.resize(out.size() - outLeft);
        if (result != static_cast<std::size_t>(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            return Stop::Done;
        }
        if (error == E2BIG) continue;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return error == EINVAL ? Stop::Truncated : Stop::BadSequence;
    }
}

}  // namespace

struct CodePage::Converter {
    iconv_t toCodePage;
    iconv_t fromCodePage;
};

CodePage::CodePage(const std::string& name) {
    iconv_t to = iconv_open(name.c_str(), "UTF-8");
    iconv_t from = iconv_open("UTF-8", name.c_str());
    if (to == kInvalid || from == kInvalid) {
        if (to != kInvalid) iconv_close(to);
        if (from != kInvalid) iconv_close(from);
        to = iconv_open("ASCII", "UTF-8");
        from = iconv_open("UTF-8", "ASCII");
    }
    converter_ = std::make_unique<Converter>(Converter{to, from});
}

CodePage::~CodePage() {
    iconv_close(converter_->toCodePage);
    iconv_close(converter_->fromCodePage);
}

std::string CodePage::Encode(std::string_view utf8) const {
    std::string text(utf8);
    for (char& c : text)
        if (c == '\0') c = '?';
    const char* in = text.data();
    std::size_t inLeft = text.size();
    std::string out;
    while (Convert(converter_->toCodePage, in, inLeft, out) != Stop::Done) {
        out += '?';
        const std::size_t skip = std::min(Utf8Length(static_cast<unsigned char>(*in)), inLeft);
        in += skip;
        inLeft -= skip;
    }
    return out;
}

std::string CodePage::Decode(const unsigned char* bytes, std::size_t size) const {
    const char* in = reinterpret_cast<const char*>(bytes);
    std::size_t inLeft = size;
    std::string out;
    for (;;) {
        const Stop stop = Convert(converter_->fromCodePage, in, inLeft, out);
        // iconv's UTF-8 side is lenient (it passes code points above
        // U+10FFFF, for one), so what it produced is checked again.
        if (stop == Stop::Done) return WellFormed(out);
        out += kReplacementCharacter;
        if (stop == Stop::Truncated) return WellFormed(out);
        ++in;
        --inLeft;
    }
}

}  // namespace qor

#include "platform/data/DataTexts.h"

#include "platform/win32/CodePage.h"

namespace data::texts {

std::string Format(const char* utf8Text, std::initializer_list<std::string> args) {
    const std::string text = win32::Utf8ToAnsi(utf8Text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace data::texts

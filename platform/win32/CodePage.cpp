#include "platform/win32/CodePage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace win32 {

namespace {

std::atomic<UINT> activeCodePage{CP_UTF8};

const char* IconvName(UINT codePage) { return codePage == CP_SHIFT_JIS ? "CP932" : "UTF-8"; }

// One iconv conversion descriptor, closed on every way out.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("文字コード変換を開始できません: ") + from +
                                     " → " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; returns false at an invalid or unconvertible sequence, with
    // `in` pointing at it.
    bool Run(char*& in, std::size_t& inLeft, std::string& out) {
        char buffer[256];
        while (inLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &in, &inLeft, &dst, &dstLeft);
            out.append(buffer, sizeof buffer - dstLeft);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

void AppendUtf16(std::string& bytes, char16_t unit) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

UINT GetACP() noexcept { return activeCodePage.load(std::memory_order_relaxed); }

bool IsDBCSCodePage() noexcept { return GetACP() == CP_SHIFT_JIS; }

bool IsDBCSLeadByte(unsigned char byte) noexcept {
    return IsDBCSCodePage() && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

namespace {

std::u16string ToUtf16(std::string_view bytesIn, UINT codePage) {
    Converter converter("UTF-16LE", IconvName(codePage));
    std::string input(bytesIn);
    std::string bytes;
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (!converter.Run(in, inLeft, bytes)) {
        AppendUtf16(bytes, u'\uFFFD');
        ++in;
        --inLeft;
    }
    std::u16string wide(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return wide;
}

std::string FromUtf16(std::u16string_view wide, UINT codePage) {
    Converter converter(IconvName(codePage), "UTF-16LE");
    std::string input;
    input.reserve(wide.size() * 2);
    for (char16_t unit : wide) AppendUtf16(input, unit);
    std::string out;
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (!converter.Run(in, inLeft, out)) {
        out.push_back('?');
        // Skip the whole character: a surrogate pair is two code units.
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                                (static_cast<unsigned char>(in[1]) << 8));
        const std::size_t skip = (unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 4) ? 4 : 2;
        in += skip;
        inLeft -= skip;
    }
    return out;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) { return ToUtf16(ansi, GetACP()); }

std::string Utf16ToAnsi(std::u16string_view wide) { return FromUtf16(wide, GetACP()); }

std::string Utf8ToAnsi(std::string_view utf8) {
    if (GetACP() == CP_UTF8) return std::string(utf8);
    return FromUtf16(ToUtf16(utf8, CP_UTF8), GetACP());
}

std::string AnsiToUtf8(std::string_view ansi) {
    if (GetACP() == CP_UTF8) return std::string(ansi);
    return FromUtf16(ToUtf16(ansi, GetACP()), CP_UTF8);
}

ScopedCodePage::ScopedCodePage(UINT codePage) : previous_(GetACP()) {
    if (codePage != CP_UTF8 && codePage != CP_SHIFT_JIS) {
        throw std::invalid_argument("対応していないコードページです: " + std::to_string(codePage));
    }
    activeCodePage.store(codePage, std::memory_order_relaxed);
}

ScopedCodePage::~ScopedCodePage() { activeCodePage.store(previous_, std::memory_order_relaxed); }

}  // namespace win32

#include "platform/win32/VersionInfo.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/win32/CodePage.h"
#include "platform/win32/VersionResource.h"

namespace win32 {

namespace {

// Limits that keep a damaged or hostile file from making us allocate without bound.
constexpr std::uint64_t kMaxResourceBytes = 1u << 20;
constexpr std::uint64_t kMaxSectionCount = 1u << 16;
constexpr std::uint64_t kMaxSectionNameBytes = 16u << 20;

constexpr char kBlockMagic[4] = {'Q', 'V', 'B', '1'};
constexpr std::size_t kBlockHeaderBytes = 8;  // magic, entry count

// Reads the section ".quillan_version" of an ELF file (either class, either byte order).
class ElfReader {
public:
    explicit ElfReader(std::ifstream& file) : file_(file) {}

    // The section's text up to its first zero byte, or nothing when the file is not ELF or has no
    // such section.
    std::optional<std::string> ResourceText() {
        unsigned char ident[64] = {};
        if (!ReadAt(0, ident, 16)) return std::nullopt;
        constexpr unsigned char kElfMagic[4] = {0x7f, 'E', 'L', 'F'};
        if (std::memcmp(ident, kElfMagic, sizeof kElfMagic) != 0) return std::nullopt;
        if (ident[4] != 1 && ident[4] != 2) return std::nullopt;
        if (ident[5] != 1 && ident[5] != 2) return std::nullopt;
        wide_ = ident[4] == 2;
        bigEndian_ = ident[5] == 2;
        if (!ReadAt(0, ident, wide_ ? 64 : 52)) return std::nullopt;

        const std::uint64_t shoff = wide_ ? Get(ident + 0x28, 8) : Get(ident + 0x20, 4);
        const std::uint64_t shentsize = Get(ident + (wide_ ? 0x3A : 0x2E), 2);
        std::uint64_t shnum = Get(ident + (wide_ ? 0x3C : 0x30), 2);
        std::uint64_t shstrndx = Get(ident + (wide_ ? 0x3E : 0x32), 2);
        if (shoff == 0 || shentsize < (wide_ ? 0x40u : 0x28u)) return std::nullopt;
        shoff_ = shoff;
        shentsize_ = shentsize;

        // Extended numbering: the real count and index live in the first section header.
        if (shnum == 0 || shstrndx == 0xFFFF) {
            const auto first = Section(0);
            if (!first) return std::nullopt;
            if (shnum == 0) shnum = first->size;
            if (shstrndx == 0xFFFF) shstrndx = first->link;
        }
        if (shnum > kMaxSectionCount || shstrndx >= shnum) return std::nullopt;

        const auto names = Section(shstrndx);
        if (!names || names->size > kMaxSectionNameBytes) return std::nullopt;
        std::string nameTable(names->size, '\0');
        if (!ReadAt(names->offset, nameTable.data(), nameTable.size())) return std::nullopt;

        for (std::uint64_t i = 1; i < shnum; ++i) {
            const auto section = Section(i);
            if (!section || section->name >= nameTable.size()) continue;
            const char* name = nameTable.c_str() + section->name;
            if (std::strcmp(name, WIN32_VERSION_RESOURCE_SECTION) != 0) continue;
            constexpr std::uint32_t kNoBits = 8;
            if (section->type == kNoBits || section->size > kMaxResourceBytes) return std::nullopt;
            std::string contents(section->size, '\0');
            if (!ReadAt(section->offset, contents.data(), contents.size())) return std::nullopt;
            contents.resize(std::strlen(contents.c_str()));
            return contents;
        }
        return std::nullopt;
    }

private:
    struct SectionHeader {
        std::uint32_t name;
        std::uint32_t type;
        std::uint64_t offset;
        std::uint64_t size;
        std::uint32_t link;
    };

    std::optional<SectionHeader> Section(std::uint64_t index) {
        unsigned char raw[0x40] = {};
        if (!ReadAt(shoff_ + index * shentsize_, raw, wide_ ? 0x40 : 0x28)) return std::nullopt;
        SectionHeader h{};
        h.name = static_cast<std::uint32_t>(Get(raw, 4));
        h.type = static_cast<std::uint32_t>(Get(raw + 4, 4));
        h.offset = wide_ ? Get(raw + 0x18, 8) : Get(raw + 0x10, 4);
        h.size = wide_ ? Get(raw + 0x20, 8) : Get(raw + 0x14, 4);
        h.link = static_cast<std::uint32_t>(Get(raw + (wide_ ? 0x28 : 0x18), 4));
        return h;
    }

    std::uint64_t Get(const unsigned char* p, int bytes) const {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            const unsigned char b = bigEndian_ ? p[i] : p[bytes - 1 - i];
            value = (value << 8) | b;
        }
        return value;
    }

    bool ReadAt(std::uint64_t offset, void* destination, std::size_t bytes) {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(offset));
        file_.read(static_cast<char*>(destination), static_cast<std::streamsize>(bytes));
        return static_cast<std::size_t>(file_.gcount()) == bytes;
    }

    std::ifstream& file_;
    bool wide_ = true;
    bool bigEndian_ = false;
    std::uint64_t shoff_ = 0;
    std::uint64_t shentsize_ = 0;
};

// The resource text of a file, or nothing with `error` set.
std::optional<std::string> ReadResourceText(const char* fileName, DWORD& error) {
    if (fileName == nullptr) {
        error = ERROR_INVALID_PARAMETER;
        return std::nullopt;
    }
    const std::filesystem::path path(AnsiToUtf8(fileName));
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = ERROR_FILE_NOT_FOUND;
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = ERROR_ACCESS_DENIED;
        return std::nullopt;
    }
    std::optional<std::string> text = ElfReader(file).ResourceText();
    const std::string signature = WIN32_VERSION_RESOURCE_SIGNATURE "\n";
    if (!text || text->compare(0, signature.size(), signature) != 0) {
        error = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return std::nullopt;
    }
    return text->substr(signature.size());
}

void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PadTo4(std::string& out) {
    while (out.size() % 4 != 0) out.push_back('\0');
}

std::optional<std::uint32_t> ParseHex(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits) {
        value <<= 4;
        const std::size_t digit = std::string_view("0123456789ABCDEF")
                                      .find(static_cast<char>(c >= 'a' && c <= 'f' ? c - 32 : c));
        if (digit == std::string_view::npos) return std::nullopt;
        value |= static_cast<std::uint32_t>(digit);
    }
    return value;
}

// "041103A4 040904B0" → the table's 32-bit entries, language in the low half.
std::string TranslationTable(std::string_view text) {
    std::string table;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        const std::string_view entry = text.substr(pos, end - pos);
        if (entry.size() == 8) {
            const auto language = ParseHex(entry.substr(0, 4));
            const auto codePage = ParseHex(entry.substr(4, 4));
            if (language && codePage) PutU32(table, *language | (*codePage << 16));
        }
        pos = end + 1;
    }
    return table;
}

bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

constexpr std::string_view kTranslationPath = "\\VarFileInfo\\Translation";

// The buffer layout handed to callers: magic, entry count, then per entry its path length, value
// length, the offset of the next entry, the path with a zero, padding to 4, the value (strings
// with their zero), padding to 4.
std::string BuildBlock(const std::string& text) {
    std::string entries;
    std::uint32_t count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = std::string_view(text).substr(pos, end - pos);
        pos = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view path = line.substr(0, equals);
        const std::string_view rawValue = line.substr(equals + 1);
        std::string value;
        std::uint32_t valueLength = 0;
        if (SamePath(path, kTranslationPath)) {
            value = TranslationTable(rawValue);
            valueLength = static_cast<std::uint32_t>(value.size());
        } else {
            value = Utf8ToAnsi(rawValue);
            // A resource compiler stores an empty string with length 0; others count their zero.
            valueLength = value.empty() ? 0 : static_cast<std::uint32_t>(value.size() + 1);
            value.push_back('\0');
        }
        const std::size_t start = kBlockHeaderBytes + entries.size();
        std::string entry;
        PutU32(entry, static_cast<std::uint32_t>(path.size()));
        PutU32(entry, valueLength);
        PutU32(entry, 0);  // offset of the next entry, filled in below
        entry.append(path);
        entry.push_back('\0');
        PadTo4(entry);
        entry.append(value);
        PadTo4(entry);
        const auto next = static_cast<std::uint32_t>(start + entry.size());
        for (int b = 0; b < 4; ++b) entry[8 + b] = static_cast<char>((next >> (8 * b)) & 0xFF);
        entries.append(entry);
        ++count;
    }
    std::string block(kBlockMagic, sizeof kBlockMagic);
    PutU32(block, count);
    return block + entries;
}

std::optional<std::string> BlockOf(const char* fileName, DWORD& error) {
    const std::optional<std::string> text = ReadResourceText(fileName, error);
    if (!text) return std::nullopt;
    return BuildBlock(*text);
}

}  // namespace

DWORD GetFileVersionInfoSizeA(const char* fileName, DWORD* handle) {
    if (handle != nullptr) *handle = 0;
    DWORD error = ERROR_SUCCESS;
    const std::optional<std::string> block = BlockOf(fileName, error);
    if (!block) {
        SetLastError(error);
        return 0;
    }
    return static_cast<DWORD>(block->size());
}

BOOL GetFileVersionInfoA(const char* fileName, DWORD /*handle*/, DWORD size, void* data) {
    DWORD error = ERROR_SUCCESS;
    const std::optional<std::string> block = BlockOf(fileName, error);
    if (!block) {
        SetLastError(error);
        return 0;
    }
    if (data == nullptr || size < block->size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(data, block->data(), block->size());
    return 1;
}

BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* length) {
    if (length != nullptr) *length = 0;
    if (buffer != nullptr) *buffer = nullptr;
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr) {
        return 0;
    }
    const auto* bytes = static_cast<const unsigned char*>(block);
    if (std::memcmp(bytes, kBlockMagic, sizeof kBlockMagic) != 0) return 0;
    const std::uint32_t count = GetU32(bytes + 4);
    std::size_t pos = kBlockHeaderBytes;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t pathLength = GetU32(bytes + pos);
        const std::uint32_t valueLength = GetU32(bytes + pos + 4);
        const std::uint32_t next = GetU32(bytes + pos + 8);
        const auto* path = reinterpret_cast<const char*>(bytes + pos + 12);
        if (SamePath({path, pathLength}, subBlock)) {
            std::size_t valuePos = pos + 12 + pathLength + 1;
            valuePos += (4 - valuePos % 4) % 4;
            *buffer = const_cast<unsigned char*>(bytes + valuePos);
            *length = valueLength;
            return 1;
        }
        pos = next;
    }
    return 0;
}

}  // namespace win32

#include "platform/win32/VersionInfo.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/CodePage.h"
#include "platform/win32/ProgramFile.h"
#include "platform/win32/VersionResource.h"

using namespace win32;

namespace {

// The version information of a file as a buffer, or empty when the file has none.
std::vector<unsigned char> ReadBlock(const std::string& file) {
    DWORD handle = 1;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) return {};
    std::vector<unsigned char> block(size);
    EXPECT_NE(GetFileVersionInfoA(file.c_str(), handle, size, block.data()), 0);
    return block;
}

// The string value at `path`, or nothing when the block has no such entry.
std::optional<std::string> Query(const std::vector<unsigned char>& block, const char* path) {
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), path, &value, &length) == 0) {
        EXPECT_EQ(length, 0u);
        return std::nullopt;
    }
    const auto* text = static_cast<const char*>(value);
    if (length > 0) {
        EXPECT_EQ(text[length - 1], '\0') << path;  // the length counts the zero
    }
    return std::string(text, length == 0 ? 0 : length - 1);
}

std::vector<std::uint32_t> Translations(const std::vector<unsigned char>& block) {
    void* value = nullptr;
    UINT length = 0;
    VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length);
    std::vector<std::uint32_t> table(length / 4);
    if (length > 0) std::memcpy(table.data(), value, length);
    return table;
}

// A minimal ELF file of either class and byte order with the sections null, .shstrtab and
// `name` holding `contents`.
std::string MakeElf(bool wide, bool bigEndian, const std::string& name, const std::string& contents) {
    auto put = [bigEndian](std::string& out, std::size_t at, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
            out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> shift) & 0xFF);
        }
    };
    const std::size_t headerBytes = wide ? 64 : 52;
    const std::size_t entryBytes = wide ? 64 : 40;
    const std::string names = std::string("\0.shstrtab\0", 11) + name + '\0';
    const std::size_t namesAt = headerBytes;
    const std::size_t contentsAt = namesAt + names.size();
    const std::size_t tableAt = contentsAt + contents.size();
    std::string elf(tableAt + 3 * entryBytes, '\0');
    std::memcpy(elf.data(), "\x7f" "ELF", 4);
    elf[4] = wide ? 2 : 1;
    elf[5] = bigEndian ? 2 : 1;
    elf[6] = 1;
    std::memcpy(elf.data() + namesAt, names.data(), names.size());
    std::memcpy(elf.data() + contentsAt, contents.data(), contents.size());
    put(elf, wide ? 0x28 : 0x20, tableAt, wide ? 8 : 4);
    put(elf, wide ? 0x3A : 0x2E, entryBytes, 2);
    put(elf, wide ? 0x3C : 0x30, 3, 2);
    put(elf, wide ? 0x3E : 0x32, 1, 2);
    auto section = [&](int index, std::uint32_t nameAt, std::uint32_t type, std::size_t at,
                       std::size_t size) {
        const std::size_t h = tableAt + static_cast<std::size_t>(index) * entryBytes;
        put(elf, h, nameAt, 4);
        put(elf, h + 4, type, 4);
        put(elf, h + (wide ? 0x18 : 0x10), at, wide ? 8 : 4);
        put(elf, h + (wide ? 0x20 : 0x14), size, wide ? 8 : 4);
    };
    section(1, 1, 3, namesAt, names.size());
    section(2, 11, 1, contentsAt, contents.size());
    return elf;
}

class VersionInfo : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    QTemporaryDir dir_;
};

const std::string kResource = WIN32_VERSION_RESOURCE_SIGNATURE "\n"
    WIN32_VERSION_TRANSLATION("041103A4")
    WIN32_VERSION_STRING("041103A4", "FileVersion", "7.8.9.10");

}  // namespace

TEST_F(VersionInfo, IsReadFromElfFilesOfEitherClassAndByteOrder) {
    for (bool wide : {true, false}) {
        for (bool bigEndian : {false, true}) {
            const auto block = ReadBlock(
                Write("program", MakeElf(wide, bigEndian, WIN32_VERSION_RESOURCE_SECTION,
                                         kResource + std::string(16, '\0'))));
            ASSERT_FALSE(block.empty()) << wide << bigEndian;
            EXPECT_EQ(Translations(block), std::vector<std::uint32_t>{0x03A40411u});
            EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\FileVersion"), "7.8.9.10");
        }
    }
}

TEST_F(VersionInfo, IsAbsentFromFilesThatDoNotCarryAResource) {
    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {"missing file", dir_.filePath("missing").toStdString(), ERROR_FILE_NOT_FOUND},
        {"directory", dir_.path().toStdString(), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"text file", Write("text", "FileVersion=1.2.3.4\n"), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"empty file", Write("empty", ""), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"other section", Write("other", MakeElf(true, false, ".rodata", kResource)),
         ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"no signature", Write("unsigned", MakeElf(true, false, WIN32_VERSION_RESOURCE_SECTION,
                                                   "FileVersion=1.2.3.4\n")),
         ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"truncated", Write("truncated", MakeElf(true, false, WIN32_VERSION_RESOURCE_SECTION,
                                                 kResource).substr(0, 70)),
         ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"this test program", GetProgramFileName(), ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        DWORD handle = 0;
        EXPECT_EQ(GetFileVersionInfoSizeA(c.path.c_str(), &handle), 0u) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
}

TEST(VersionInfoOfAProgram, GivesTheTranslationTableAndTheValuesOfEveryStringTable) {
    const auto block = ReadBlock(QUILLAN_VERSION_FIXTURE_ALTERNATE);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(Translations(block), (std::vector<std::uint32_t>{0x03A40411u, 0x04E40409u}));
    struct Case {
        const char* path;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"\\StringFileInfo\\041103A4\\FileVersion", "3.4.5.67"},
        {"\\stringfileinfo\\041103a4\\FILEVERSION", "3.4.5.67"},
        {"\\StringFileInfo\\040904E4\\FileVersion", "9.9.9.9"},
        {"\\StringFileInfo\\041103A4\\CompanyName", "  株式会社テスト\t"},
        {"\\StringFileInfo\\041103A4\\PrivateBuild", std::nullopt},
        {"\\StringFileInfo\\041103A4", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(Query(block, c.path), c.value) << c.path;
}

TEST(VersionInfoOfAProgram, GivesStringsInTheAnsiCodePageOfTheReadingCall) {
    ScopedCodePage sjis(CP_SHIFT_JIS);
    const auto block = ReadBlock(QUILLAN_VERSION_FIXTURE_ALTERNATE);
    EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\ProductName"),
              Utf8ToAnsi("　試験プログラム　"));
}

TEST(VersionInfoOfAProgram, MayLackATranslationTable) {
    const auto block = ReadBlock(QUILLAN_VERSION_FIXTURE_NO_TRANSLATION);
    ASSERT_FALSE(block.empty());
    EXPECT_TRUE(Translations(block).empty());
    EXPECT_EQ(Query(block, "\\StringFileInfo\\041103A4\\FileVersion"), "1.0.0.0");
}

TEST(VersionInfoOfAProgram, IsNotCopiedIntoATooSmallBuffer) {
    const char* file = QUILLAN_VERSION_FIXTURE_ALTERNATE;
    const DWORD size = GetFileVersionInfoSizeA(file, nullptr);
    std::vector<unsigned char> block(size, 0xEE);
    EXPECT_EQ(GetFileVersionInfoA(file, 0, size - 1, block.data()), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(block.front(), 0xEE);
}

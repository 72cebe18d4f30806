// Tests of the .83p writer, read back by Debian's libtifiles (an independent reader).
#include "z80/assembler.h"
#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <unistd.h>

#include "tests/support/tifiles_library.h"

using namespace torvex::z80;
namespace fs = std::filesystem;

namespace {

fs::path writeTemp(const std::vector<uint8_t>& bytes, const std::string& name) {
    static std::atomic<int> counter{0};
    fs::path dir = fs::temp_directory_path() /
                   ("torvex-83p-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    fs::path p = dir / name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return p;
}

struct ReadBack {
    int rc = -1;
    CalcModel model = CALC_NONE;
    unsigned entries = 0;
    std::string name;
    int type = -1;
    std::vector<uint8_t> data;
    uint16_t checksum = 0, storedChecksum = 1;
    std::string comment;
};

ReadBack readWithTifiles(const fs::path& p) {
    ReadBack r;
    r.model = tifiles_file_get_model(p.c_str());
    FileContent* content = tifiles_content_create_regular(CALC_TI83);
    r.rc = tifiles_file_read_regular(p.c_str(), content);
    if (r.rc == 0) {
        r.entries = content->num_entries;
        r.comment = content->comment;
        r.checksum = content->checksum;
        r.storedChecksum = content->stored_checksum;
        if (content->num_entries >= 1) {
            VarEntry* e = content->entries[0];
            r.name = e->name;
            r.type = e->type;
            r.data.assign(e->data, e->data + e->size);
        }
    }
    tifiles_content_delete_regular(content);
    fs::remove_all(p.parent_path());
    return r;
}

std::vector<uint8_t> bytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

} // namespace

TEST(Ti83File, HexTextForm) {
    std::vector<uint8_t> text = hexTextProgram({0x00, 0xC9, 0x3A, 0xAF});
    std::vector<uint8_t> expected = bytesOf("00C93AAF");
    for (int b : {0x3F, 0xD4, 0x3F, 0x30, 0x30, 0x30, 0x30, 0x3F, 0xD4})
        expected.push_back(static_cast<uint8_t>(b));
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.size(), 4u * 2 + 9);
}

TEST(Ti83File, LayoutOfTheFile) {
    std::vector<uint8_t> code{0xC9};
    auto f = makeProgramFile(code, "A1", ProgramForm::HexText, "hello");
    ASSERT_EQ(f.size(), 57u + 2 + 11 + 2 + 2 + 11);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 8), "**TI83**");
    EXPECT_EQ(f[8], 0x1A);
    EXPECT_EQ(f[9], 0x0A);
    EXPECT_EQ(f[10], 0x00);
    EXPECT_EQ(std::string(f.begin() + 11, f.begin() + 16), "hello");
    EXPECT_EQ(f[16], 0);
    size_t dataLength = f[0x35] | (f[0x36] << 8);
    EXPECT_EQ(dataLength, f.size() - 57);
    EXPECT_EQ(f[0x37], 0x0B);
    EXPECT_EQ(f[0x38], 0x00);
    size_t varLength = f[0x39] | (f[0x3A] << 8);
    EXPECT_EQ(varLength, 2u + 11);
    EXPECT_EQ(f[0x3B], 0x06);
    EXPECT_EQ(std::string(f.begin() + 0x3C, f.begin() + 0x3E), "A1");
    for (int i = 0x3E; i < 0x44; ++i)
        EXPECT_EQ(f[i], 0);
    EXPECT_EQ(f[0x44] | (f[0x45] << 8), static_cast<int>(varLength));
    EXPECT_EQ(f[0x46] | (f[0x47] << 8), 11); // program length: 2 * 1 + 9
    EXPECT_EQ(f[0x48], 'C');
    EXPECT_EQ(f[0x49], '9');
    unsigned sum = 0;
    for (size_t i = 0x37; i < f.size() - 2; ++i)
        sum += f[i];
    EXPECT_EQ(f[f.size() - 2] | (f[f.size() - 1] << 8), static_cast<int>(sum & 0xFFFF));
}

TEST(Ti83File, LibtifilesReadsItBack) {
    Assembly a = assembleFile(TORVEX_TEST_DATA "/demo.z80");
    auto f = makeProgramFile(a.bytes, "DEMO");
    ReadBack r = readWithTifiles(writeTemp(f, "DEMO.83p"));
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.model, CALC_TI83);
    EXPECT_EQ(r.entries, 1u);
    EXPECT_EQ(r.name, "DEMO");
    EXPECT_EQ(r.type, 0x06);
    EXPECT_EQ(r.checksum, r.storedChecksum);
    // libtifiles keeps the variable data with its length word in front.
    std::vector<uint8_t> text = hexTextProgram(a.bytes);
    ASSERT_EQ(r.data.size(), text.size() + 2);
    EXPECT_EQ(r.data[0] | (r.data[1] << 8), static_cast<int>(2 * a.bytes.size() + 9));
    EXPECT_EQ(std::vector<uint8_t>(r.data.begin() + 2, r.data.end()), text);
}

TEST(Ti83File, LibtifilesReadsEightLetterNamesAndLargePrograms) {
    std::vector<uint8_t> code(8000);
    for (size_t i = 0; i < code.size(); ++i)
        code[i] = static_cast<uint8_t>(i * 7);
    auto f = makeProgramFile(code, "ABCDEFG8");
    ReadBack r = readWithTifiles(writeTemp(f, "x.83p"));
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.name, "ABCDEFG8");
    EXPECT_EQ(r.data.size(), 2 * code.size() + 9 + 2);
    EXPECT_EQ(r.checksum, r.storedChecksum);
}

TEST(Ti83File, LibtifilesNoticesABadChecksum) {
    auto f = makeProgramFile({0xC9}, "BAD");
    f.back() ^= 0x55;
    ReadBack r = readWithTifiles(writeTemp(f, "bad.83p"));
    if (r.rc == 0) {
        EXPECT_NE(r.checksum, r.storedChecksum);
    }
    EXPECT_THROW(readProgramFile(f), ProgramFileError);
}

TEST(Ti83File, OurReaderRoundTrips) {
    std::vector<uint8_t> code{0x3E, 0x05, 0xC9, 0x00, 0xFF};
    ProgramVariable v = readProgramFile(makeProgramFile(code, "ROUND"));
    EXPECT_EQ(v.name, "ROUND");
    EXPECT_EQ(v.type, kTypeProtectedProgram);
    EXPECT_EQ(v.data, hexTextProgram(code));
    EXPECT_EQ(v.machineCode(), code);
    ProgramVariable s = readProgramFile(makeProgramFile(code, "SQ", ProgramForm::Squished));
    EXPECT_EQ(s.data, code);
    EXPECT_EQ(s.machineCode(), code);
}

TEST(Ti83File, OurReaderRejectsDamagedFiles) {
    auto f = makeProgramFile({0xC9}, "X");
    EXPECT_THROW(readProgramFile({}), ProgramFileError);
    auto wrongSig = f;
    wrongSig[2] = 'X';
    EXPECT_THROW(readProgramFile(wrongSig), ProgramFileError);
    auto shortFile = f;
    shortFile.pop_back();
    EXPECT_THROW(readProgramFile(shortFile), ProgramFileError);
}

TEST(Ti83File, ProgramNames) {
    for (const char* good : {"A", "DEMO", "ABCDEFGH", "Z80", "T0RVEX"})
        EXPECT_NO_THROW(validateProgramName(good)) << good;
    for (const char* bad : {"", "demo", "1ABC", "ABCDEFGHI", "A B", "A_B", "Ä", "θ"})
        EXPECT_THROW(validateProgramName(bad), ProgramFileError) << bad;
    EXPECT_THROW(makeProgramFile({0xC9}, "bad"), ProgramFileError);
    try {
        validateProgramName("toolongname");
        FAIL();
    } catch (const ProgramFileError& e) {
        EXPECT_NE(std::string(e.what()).find("1 to 8"), std::string::npos) << e.what();
    }
}

TEST(Ti83File, NameFromFileName) {
    EXPECT_EQ(programNameFromFileName("/x/y/demo.z80"), "DEMO");
    EXPECT_EQ(programNameFromFileName("my-scene_1.z80"), "MYSCENE1");
    EXPECT_EQ(programNameFromFileName("averyveryverylongname.z80"), "AVERYVER");
    EXPECT_EQ(programNameFromFileName("3d.z80"), "D");
    EXPECT_THROW(programNameFromFileName("123.z80"), ProgramFileError);
    EXPECT_THROW(programNameFromFileName("___.z80"), ProgramFileError);
}

TEST(Ti83File, TooLargeProgramIsAnError) {
    std::vector<uint8_t> code(40000);
    EXPECT_THROW(makeProgramFile(code, "BIG"), ProgramFileError);
}

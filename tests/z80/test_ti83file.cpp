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

ReadBack readWithTifiles(const fs::path& p, CalcModel model = CALC_TI83) {
    ReadBack r;
    r.model = tifiles_file_get_model(p.c_str());
    FileContent* content = tifiles_content_create_regular(model);
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

// The byte-level layout, for both families: they differ in the signature and
// in the variable entry's header (the Plus family's holds a version and a flag
// byte after the name).
struct Family {
    Model model;
    std::vector<uint8_t> program; // the variable's program bytes for the code C9h
    const char* signature;
    uint8_t entryHeader;
    CalcModel tifilesModel;
    std::vector<uint8_t> file(const std::vector<uint8_t>& code, const std::string& name,
                              const std::string& comment = "Torvex Designer") const {
        return model == Model::Ti83 ? makeProgramFile(code, name, ProgramForm::HexText, comment)
                                    : makePlusProgramFile(code, name, comment);
    }
};
const Family kTi83{Model::Ti83, hexTextProgram({0xC9}), "**TI83**", 0x0B, CALC_TI83};
const Family kPlus{Model::Ti83Plus, {0xBB, 0x6D, 0xC9}, "**TI83F*", 0x0D, CALC_TI83P};

TEST(Ti83File, LayoutOfTheFile) {
    for (const Family& family : {kTi83, kPlus}) {
        SCOPED_TRACE(family.signature);
        const std::vector<uint8_t> code =
            family.model == Model::Ti83 ? std::vector<uint8_t>{0xC9} : family.program;
        auto f = family.file(code, "A1", "hello");
        const size_t entry = 0x37, lengthAt = entry + 2 + family.entryHeader;
        ASSERT_EQ(f.size(), lengthAt + 2 + 2 + family.program.size() + 2);
        EXPECT_EQ(std::string(f.begin(), f.begin() + 8), family.signature);
        EXPECT_EQ(std::vector<uint8_t>(f.begin() + 8, f.begin() + 11),
                  (std::vector<uint8_t>{0x1A, 0x0A, 0x00}));
        EXPECT_EQ(std::string(f.begin() + 11, f.begin() + 16), "hello");
        EXPECT_EQ(f[16], 0);
        EXPECT_EQ(f[0x35] | (f[0x36] << 8), static_cast<int>(f.size() - 57));
        EXPECT_EQ(f[entry] | (f[entry + 1] << 8), family.entryHeader);
        const int varLength = static_cast<int>(2 + family.program.size());
        EXPECT_EQ(f[entry + 2] | (f[entry + 3] << 8), varLength);
        EXPECT_EQ(f[entry + 4], 0x06);
        EXPECT_EQ(std::string(f.begin() + entry + 5, f.begin() + entry + 13),
                  std::string("A1\0\0\0\0\0\0", 8));
        if (family.entryHeader == 0x0D) { // version 00h, flag 00h: in RAM
            EXPECT_EQ(f[entry + 13], 0x00);
            EXPECT_EQ(f[entry + 14], 0x00);
        }
        EXPECT_EQ(f[lengthAt] | (f[lengthAt + 1] << 8), varLength);
        EXPECT_EQ(f[lengthAt + 2] | (f[lengthAt + 3] << 8),
                  static_cast<int>(family.program.size()));
        EXPECT_EQ(std::vector<uint8_t>(f.begin() + lengthAt + 4, f.end() - 2), family.program);
        unsigned sum = 0;
        for (size_t i = entry; i < f.size() - 2; ++i)
            sum += f[i];
        EXPECT_EQ(f[f.size() - 2] | (f[f.size() - 1] << 8), static_cast<int>(sum & 0xFFFF));
        ProgramVariable v = readProgramFile(f);
        EXPECT_EQ(v.model, family.model);
        EXPECT_EQ(v.machineCode(), code);
    }
    // A Plus assembly program without its two tokens would not run with Asm(.
    EXPECT_THROW(makePlusProgramFile({0xC9}, "A1"), ProgramFileError);
}

TEST(Ti83File, LibtifilesReadsItBack) {
    Assembly a = assembleFile(TORVEX_TEST_DATA "/demo.z80");
    std::vector<uint8_t> plusProgram{0xBB, 0x6D};
    plusProgram.insert(plusProgram.end(), a.bytes.begin(), a.bytes.end());
    for (const Family& family : {kTi83, kPlus}) {
        SCOPED_TRACE(family.signature);
        const std::vector<uint8_t> program =
            family.model == Model::Ti83 ? hexTextProgram(a.bytes) : plusProgram;
        auto f = family.file(family.model == Model::Ti83 ? a.bytes : plusProgram, "DEMO");
        ReadBack r = readWithTifiles(
            writeTemp(f, "DEMO" + std::string(calculatorModel(family.model).extension)),
            family.tifilesModel);
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(r.model, family.tifilesModel);
        EXPECT_EQ(r.entries, 1u);
        EXPECT_EQ(r.name, "DEMO");
        EXPECT_EQ(r.type, 0x06);
        EXPECT_EQ(r.checksum, r.storedChecksum);
        // libtifiles keeps the variable data with its length word in front.
        ASSERT_EQ(r.data.size(), program.size() + 2);
        EXPECT_EQ(r.data[0] | (r.data[1] << 8), static_cast<int>(program.size()));
        EXPECT_EQ(std::vector<uint8_t>(r.data.begin() + 2, r.data.end()), program);
    }
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

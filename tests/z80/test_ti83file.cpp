// The .83p and .8xp writer, read back by Debian's libtifiles, and our reader.
#include "tests/support/temporary_folder.h"
#include "z80/assembler.h"
#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/tifiles_library.h"

using namespace torvex::z80;
using Bytes = std::vector<uint8_t>;

namespace {

// The families differ in the signature and the variable entry's header.
struct Family {
    Model model;
    Bytes program; // the variable's program bytes for the code C9h
    const char* signature;
    uint8_t entryHeader;
    CalcModel tifilesModel;
    Bytes code() const { return model == Model::Ti83 ? Bytes{0xC9} : program; }
    Bytes file(const Bytes& code, const std::string& name, const std::string& comment) const {
        return model == Model::Ti83 ? makeProgramFile(code, name, ProgramForm::HexText, comment)
                                    : makePlusProgramFile(code, name, comment);
    }
};
const Family kTi83{Model::Ti83, hexTextProgram({0xC9}), "**TI83**", 0x0B, CALC_TI83};
const Family kPlus{Model::Ti83Plus, {0xBB, 0x6D, 0xC9}, "**TI83F*", 0x0D, CALC_TI83P};

int word(const Bytes& f, size_t at) {
    return f[at] | (f[at + 1] << 8);
}

} // namespace

TEST(Ti83File, LayoutOfTheFile) {
    EXPECT_EQ(hexTextProgram({0x00, 0xC9, 0x3A, 0xAF}),
              (Bytes{'0', '0', 'C', '9', '3', 'A', 'A', 'F', 0x3F, 0xD4, 0x3F, 0x30, 0x30, 0x30,
                     0x30, 0x3F, 0xD4}));
    for (const Family& family : {kTi83, kPlus}) {
        SCOPED_TRACE(family.signature);
        const Bytes f = family.file(family.code(), "A1", "hello");
        const size_t entry = 0x37, lengthAt = entry + 2 + family.entryHeader;
        const int varLength = static_cast<int>(2 + family.program.size());
        ASSERT_EQ(f.size(), lengthAt + 2 + 2 + family.program.size() + 2);
        EXPECT_EQ(std::string(f.begin(), f.begin() + 8), family.signature);
        EXPECT_EQ(Bytes(f.begin() + 8, f.begin() + 11), (Bytes{0x1A, 0x0A, 0x00}));
        EXPECT_EQ(std::string(f.begin() + 11, f.begin() + 17), std::string("hello\0", 6));
        EXPECT_EQ(word(f, 0x35), static_cast<int>(f.size() - 57));
        EXPECT_EQ(word(f, entry), family.entryHeader);
        EXPECT_EQ(word(f, entry + 2), varLength);
        // The Plus family's version 00h and flag 00h: in RAM.
        EXPECT_TRUE(family.entryHeader != 0x0D || word(f, entry + 13) == 0);
        EXPECT_EQ(word(f, lengthAt + 2), static_cast<int>(family.program.size()));
    }
    // A Plus assembly program without its two tokens would not run with Asm(.
    EXPECT_THROW(makePlusProgramFile({0xC9}, "A1"), ProgramFileError);
}

TEST(Ti83File, LibtifilesReadsItBack) {
    const Bytes demo = assembleFile(TORVEX_TEST_DATA "/demo.z80").bytes;
    Bytes plusDemo{0xBB, 0x6D}, large(8000);
    plusDemo.insert(plusDemo.end(), demo.begin(), demo.end());
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<uint8_t>(i * 7);
    const struct {
        const Family& family;
        Bytes code;
        std::string name;
    } files[] = {{kTi83, demo, "DEMO"}, {kPlus, plusDemo, "DEMO"}, {kTi83, large, "ABCDEFG8"}};
    torvex::test::TemporaryFolder dir;
    for (const auto& [family, code, name] : files) {
        SCOPED_TRACE(name + family.signature);
        const Bytes program = family.model == Model::Ti83 ? hexTextProgram(code) : code;
        const Bytes file = family.file(code, name, "Torvex Designer");
        const std::string path =
            dir.write(name + std::string(calculatorModel(family.model).extension),
                      std::string(file.begin(), file.end()))
                .string();
        EXPECT_EQ(tifiles_file_get_model(path.c_str()), family.tifilesModel);
        FileContent* content = tifiles_content_create_regular(family.tifilesModel);
        ASSERT_EQ(tifiles_file_read_regular(path.c_str(), content), 0);
        ASSERT_EQ(content->num_entries, 1u);
        const VarEntry* e = content->entries[0];
        EXPECT_STREQ(e->name, name.c_str());
        EXPECT_EQ(e->type, 0x06);
        EXPECT_EQ(content->checksum, content->stored_checksum);
        // libtifiles keeps the variable data with its length word in front.
        const Bytes data(e->data, e->data + e->size);
        tifiles_content_delete_regular(content);
        ASSERT_EQ(data.size(), program.size() + 2);
        EXPECT_EQ(word(data, 0), static_cast<int>(program.size()));
        EXPECT_EQ(Bytes(data.begin() + 2, data.end()), program);
    }
}

// Both program types, protected (06h) and not (05h), are read; a refused file says why.
TEST(Ti83File, OurReaderRoundTripsBothFormsAndRejectsDamagedFiles) {
    const Bytes code{0x3E, 0x05, 0xC9, 0x00, 0xFF};
    const ProgramVariable v = readProgramFile(makeProgramFile(code, "ABCDEFGH"));
    EXPECT_EQ(v.name, "ABCDEFGH");
    EXPECT_EQ(v.type, kTypeProtectedProgram);
    EXPECT_EQ(v.data, hexTextProgram(code));
    EXPECT_EQ(v.machineCode(), code);
    ProgramVariable odd = v; // an odd count of digits is no hex text: run as it is
    odd.data = {'C', '9', 'C', 0x3F, 0xD4, 0x3F, '0', '0', '0', '0', 0x3F, 0xD4};
    EXPECT_EQ(odd.machineCode(), odd.data);
    Bytes unprotected = makeProgramFile(code, "SQ", ProgramForm::Squished);
    EXPECT_EQ(readProgramFile(unprotected).machineCode(), code);
    unprotected[0x37 + 4] = 0x05;
    --unprotected[unprotected.size() - 2]; // the checksum's low byte, one less
    const ProgramVariable s = readProgramFile(unprotected);
    EXPECT_EQ(s.type, kTypeProgram);
    EXPECT_EQ(s.data, code);
    const Bytes f = makeProgramFile({0xC9}, "X");
    Bytes wrongSignature = f, shortFile = f, longFile = f, badChecksum = f;
    const auto plusOne = [&](size_t at) { // the byte at `at`, the checksum kept right
        Bytes damaged = f;
        return ++damaged[at], ++damaged[damaged.size() - 2], damaged;
    };
    wrongSignature[2] = 'X';
    shortFile.pop_back();
    longFile.push_back(0);
    badChecksum.back() ^= 0x55;
    for (const auto& [damaged, why] : std::vector<std::pair<Bytes, std::string>>{
             {{}, "no **TI83** or **TI83F* signature"},
             {wrongSignature, "no **TI83** or **TI83F* signature"},
             {Bytes(f.begin(), f.begin() + 0x30), "the file ends inside its header"},
             {shortFile, "file size does not match its data length"},
             {longFile, "file size does not match its data length"},
             {badChecksum, "checksum mismatch"},
             {plusOne(0x37), "unexpected variable header length"}, // 0Ch
             {plusOne(0x37 + 13), "inconsistent variable length"}, // its second word
             {plusOne(0x37 + 15), "inconsistent program length"}})
        EXPECT_THAT([&] { readProgramFile(damaged); },
                    testing::ThrowsMessage<ProgramFileError>(testing::HasSubstr(why)));
}

TEST(Ti83File, ProgramNamesAndSize) {
    for (const char* good : {"A", "DEMO", "ABCDEFGH", "Z89", "T0RVEX"})
        EXPECT_NO_THROW(validateProgramName(good)) << good;
    for (const char* bad : {"", "demo", "1ABC", "ABCDEFGHI", "A B", "A_B", "Ä", "θ"})
        EXPECT_THROW(validateProgramName(bad), ProgramFileError) << bad;
    EXPECT_THROW(makeProgramFile({0xC9}, "bad"), ProgramFileError);
    // The largest programs fill the 16-bit data length (the hex text's is odd:
    // two digits a byte and 9 tokens); one byte more is refused.
    for (const auto& [plus, form, largest, dataLength] :
         {std::tuple{false, ProgramForm::HexText, 32754, 0xFFFE},
          {false, ProgramForm::Squished, 65518, 0xFFFF},
          {true, ProgramForm::Squished, 65516, 0xFFFF}}) {
        Bytes code(size_t(largest), 0xBB);
        code[1] = 0x6D;
        const auto make = [&] {
            return plus ? makePlusProgramFile(code, "BIG") : makeProgramFile(code, "BIG", form);
        };
        EXPECT_EQ(word(make(), 0x35), dataLength);
        EXPECT_EQ(readProgramFile(make()).machineCode(), code);
        code.push_back(0);
        EXPECT_THROW(make(), ProgramFileError) << largest;
    }
    for (const auto& [file, name] : {std::pair{"/x/y/demo.z80", "DEMO"},
                                     {"my-scene_1.z80", "MYSCENE1"},
                                     {"averyveryverylongname.z80", "AVERYVER"},
                                     {"3d.z80", "D"}})
        EXPECT_EQ(programNameFromFileName(file), name);
    EXPECT_THROW(programNameFromFileName("123.z80"), ProgramFileError);
    EXPECT_THROW(programNameFromFileName("___.z80"), ProgramFileError);
}

// Tests of the .83p writer, read back by Debian's libtifiles (an independent reader).
#include "z80/assembler.h"
#include "z80/ti83.h"
#include "z80/ti83file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <unistd.h>

// ticonv.h (included by tifiles.h) uses the C keyword restrict.
#define restrict __restrict__
extern "C" {
#include <tilp2/tifiles.h>
}
#undef restrict

using namespace torvex::z80;
namespace fs = std::filesystem;

namespace {

struct TifilesLibrary : ::testing::Environment {
    void SetUp() override { tifiles_library_init(); }
    void TearDown() override { tifiles_library_exit(); }
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new TifilesLibrary);

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

// The emulated TI-83 at the edges of its traps and guards: trapped ROM calls
// leave no trace in the CPU state, prefixed instructions count as one
// instruction, and the write guard sees every address.

namespace {

Assembly assembleAt9327(const std::string& body) {
    Assembly a = assemble("#include \"ti83asm.inc\"\n .org 9327h\n" + body + "\n", "edge.z80");
    EXPECT_EQ(a.origin, kProgramStart);
    return a;
}

std::string pcText(uint16_t pc) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "PC %04Xh", pc);
    return buf;
}

} // namespace

TEST(Ti83Edges, TrappedCallsDoNotAdvanceTheRefreshRegister) {
    Ti83 calc;
    calc.setRomCallsClobberRegisters(false);
    // ld b,a; call; ld a,r: four opcode fetches between the two reads of R.
    calc.loadProgram(assembleAt9327(R"(
 ld a,r
 ld b,a
 call _GRBUFCLR
 ld a,r
 sub b
 and 7Fh
 ld (8265h),a
 ld a,r
 ld b,a
 call _getkey
 ld a,r
 sub b
 and 7Fh
 ld (8266h),a
 ret)")
                         .bytes);
    calc.start();
    // Waiting for a key several times changes nothing either.
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    ASSERT_EQ(calc.runUntilKeyWanted().reason, StopReason::KeyWanted);
    calc.pressKey(key::Enter);
    RunResult r = calc.runUntilKeyWanted();
    ASSERT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.peek(0x8265), 4);
    EXPECT_EQ(calc.peek(0x8266), 4);
}

TEST(Ti83Edges, WaitingForKeysCountsNoExtraTstates) {
    const std::string body = R"(
 call _getkey
 ld b,a
 call _getkey
 call _GRBUFCPY_V
 ret)";
    Ti83 script;
    script.loadProgram(assembleAt9327(body).bytes);
    script.setKeys({key::Up, key::Down});
    ASSERT_EQ(script.run().reason, StopReason::Returned);
    Ti83 stepped;
    stepped.loadProgram(assembleAt9327(body).bytes);
    stepped.start();
    for (uint8_t k : {key::Up, key::Down}) {
        ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::KeyWanted);
        ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::KeyWanted);
        stepped.pressKey(k);
    }
    ASSERT_EQ(stepped.runUntilKeyWanted().reason, StopReason::Returned);
    ASSERT_EQ(stepped.frames().size(), 1u);
    EXPECT_EQ(stepped.frames()[0].tstates, 17u + 4 + 17 + 17);
    EXPECT_EQ(stepped.frames()[0].tstates, script.frames()[0].tstates);
    EXPECT_EQ(stepped.totalTstates(), script.totalTstates());
    EXPECT_EQ(stepped.totalTstates(), 17u + 4 + 17 + 17 + 10);
    EXPECT_EQ(stepped.pc(), kReturnAddress);
}

TEST(Ti83Edges, FaultNamesTheInstructionThatLeftForRom) {
    Ti83 calc;
    Assembly a = assembleAt9327(" nop\nhere:\n jp 4000h");
    calc.loadProgram(a.bytes);
    RunResult r = calc.run();
    ASSERT_EQ(r.reason, StopReason::Fault);
    EXPECT_NE(r.message.find("4000h"), std::string::npos) << r.message;
    char pc[16];
    std::snprintf(pc, sizeof pc, "%04Xh", a.labels.at("here"));
    EXPECT_NE(r.message.find(pc), std::string::npos) << r.message;
    EXPECT_EQ(calc.pc(), 0x4000);
    EXPECT_EQ(calc.totalTstates(), 4u + 10);
}

TEST(Ti83Edges, WriteGuardNamesTheStartOfPrefixedInstructions) {
    for (const char* instruction :
         {" ld (ix+1),a", " set 0,(iy+2)", " .db 0DDh,0FDh,77h,03h", " ld (9200h),ix", " rld"}) {
        Ti83 calc;
        calc.setWritableRanges({kStackRange});
        Assembly a = assembleAt9327(std::string(R"(
 ld ix,9200h
 ld iy,9200h
 ld hl,9200h
 xor a
here:
)") + instruction + "\n ret");
        calc.loadProgram(a.bytes);
        RunResult r = calc.run();
        ASSERT_EQ(r.reason, StopReason::WriteGuard) << instruction << ": " << r.message;
        EXPECT_NE(r.message.find(pcText(a.labels.at("here"))), std::string::npos)
            << instruction << ": " << r.message;
    }
}

TEST(Ti83Edges, OnlyTheHaltInstructionIsReportedAsHalt) {
    Ti83 calc;
    // bit 6,(hl) is CB 76, ED 76 an undocumented im 1: neither halts.
    calc.loadProgram(assembleAt9327(" ld hl,8265h\n bit 6,(hl)\n .db 0EDh,76h\n ret").bytes);
    RunResult r = calc.run();
    EXPECT_EQ(r.reason, StopReason::Returned) << r.message;
    Assembly a = assembleAt9327(" nop\nhere:\n .db 0DDh,76h\n ret");
    calc.loadProgram(a.bytes);
    r = calc.run();
    ASSERT_EQ(r.reason, StopReason::Fault) << r.message;
    EXPECT_NE(r.message.find("HALT at " + pcText(a.labels.at("here"))), std::string::npos)
        << r.message;
}

TEST(Ti83Edges, PrefixedInstructionMayWrapIntoAddressZero) {
    Ti83 calc;
    calc.poke(0xFFFE, 0x00); // nop
    calc.poke(0xFFFF, 0xDD); // jp (ix), its second byte at 0000h
    calc.poke(0x0000, 0xE9);
    calc.poke(0x9400, 0xC9); // ret
    Registers in;
    in.ix = 0x9400;
    in.sp = 0xFF00;
    RunResult r = calc.callRoutine(0xFFFE, in);
    EXPECT_EQ(r.reason, StopReason::Returned) << r.message;
    EXPECT_EQ(calc.totalTstates(), 4u + 8 + 10);
}

TEST(Ti83Edges, WriteGuardCoversEveryAddressOfItsRanges) {
    Ti83 calc;
    const std::string body = R"(
 ld hl,(8265h)
 ld a,(8267h)
 ld (hl),a
 ret)";
    calc.loadProgram(assembleAt9327(body).bytes);
    const auto writeAt = [&](uint16_t address) {
        calc.poke(0x8265, address & 0xFF);
        calc.poke(0x8266, address >> 8);
        calc.poke(0x8267, 0x5A);
        if (address >= 0x8000)
            calc.poke(address, 0);
        return calc.run().reason;
    };
    // No ranges: RAM is written, ROM writes are ignored.
    EXPECT_EQ(writeAt(0x8000), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x8000), 0x5A);
    EXPECT_EQ(writeAt(0x7FFF), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x7FFF), 0);
    // Ranges reaching the ends of memory and ROM; one address wide ones.
    calc.setWritableRanges({{0xFFFF, 0xFFFF}, {0x0000, 0x0001}, {0x8268, 0x8268}, kStackRange});
    EXPECT_EQ(writeAt(0xFFFF), StopReason::Returned);
    EXPECT_EQ(calc.peek(0xFFFF), 0x5A);
    EXPECT_EQ(writeAt(0x8268), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x8268), 0x5A);
    EXPECT_EQ(writeAt(0x0001), StopReason::Returned); // ROM: allowed, ignored
    EXPECT_EQ(calc.peek(0x0001), 0);
    EXPECT_EQ(writeAt(0x0002), StopReason::WriteGuard);
    EXPECT_EQ(writeAt(0x8269), StopReason::WriteGuard);
    EXPECT_EQ(calc.peek(0x8269), 0);
    EXPECT_EQ(writeAt(0xFDFF), StopReason::WriteGuard);
    EXPECT_EQ(writeAt(0xFE00), StopReason::Returned);
    // Removing the ranges removes the guard.
    calc.setWritableRanges({});
    EXPECT_EQ(writeAt(0x8269), StopReason::Returned);
    EXPECT_EQ(calc.peek(0x8269), 0x5A);
}

TEST(Ti83Edges, RunawayIsCountedAtInstructionBoundaries) {
    Ti83 calc;
    calc.setRunawayLimit(50);
    // ld ix,nn takes 14 T-states: the fourth one passes the limit at 56.
    calc.loadProgram(
        assembleAt9327("loop:\n ld ix,0\n ld ix,0\n ld ix,0\n ld ix,0\n ld ix,0\n jr loop").bytes);
    RunResult r = calc.callRoutine(kProgramStart, Registers{});
    ASSERT_EQ(r.reason, StopReason::Runaway) << r.message;
    EXPECT_NE(r.message.find("56 T-states"), std::string::npos) << r.message;
    EXPECT_EQ(calc.totalTstates(), 56u);
}

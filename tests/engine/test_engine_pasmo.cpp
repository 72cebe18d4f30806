// Torvex Designer - the preview source (engine template + scene) assembled by
// Debian's pasmo after a mechanical translation to pasmo's dialect gives the
// same bytes as our assembler.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <unistd.h>

using namespace torvex::engine;
using namespace torvex::engine::test;
namespace fs = std::filesystem;

namespace {

std::string trimEnd(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

// TASM dialect -> pasmo dialect, line by line: #define NAME VALUE becomes
// NAME equ VALUE (the three text macros for equ, EQU and END are dropped),
// #include is replaced by the translated built-in definitions, .org/.db/.equ/
// .end become org/defb/equ/end, and nothing after .end is read.
std::string toPasmo(const std::string& source, bool inInclude = false) {
    std::istringstream in(source);
    std::string out, line;
    while (std::getline(in, line)) {
        line = trimEnd(line);
        std::string code = line.substr(0, line.find(';'));
        if (line.rfind("#define ", 0) == 0) {
            std::istringstream d(code.substr(8));
            std::string name, value;
            d >> name >> value;
            if (value == ".equ" || value == ".end")
                continue;
            out += name + " equ " + value + "\n";
            continue;
        }
        if (line.rfind("#include ", 0) == 0) {
            std::string file = line.substr(line.find('"') + 1);
            file = file.substr(0, file.find('"'));
            std::optional<std::string> text = torvex::z80::builtinInclude(file);
            EXPECT_TRUE(text) << file;
            out += toPasmo(text.value_or(""), true);
            continue;
        }
        std::string trimmed = code.substr(std::min(code.size(), code.find_first_not_of(" \t")));
        if (trimmed == ".end" || trimmed == "END")
            break;
        for (auto [from, to] : {std::pair<const char*, const char*>{".org ", "org "},
                                {".db ", "defb "},
                                {".dw ", "defw "},
                                {".equ ", "equ "}}) {
            size_t at = line.find(from);
            if (at != std::string::npos && at < code.size())
                line.replace(at, std::string(from).size(), to);
        }
        if (line.rfind("org ", 0) == 0)
            line = "\t" + line;
        out += line + "\n";
    }
    if (!inInclude)
        out += "\tend\n";
    return out;
}

std::vector<uint8_t> pasmo(const std::string& text, std::string* log) {
    static int serial = 0;
    fs::path dir = fs::temp_directory_path() / ("torvex-engine-pasmo-" + std::to_string(getpid()) +
                                                "-" + std::to_string(serial++));
    fs::create_directories(dir);
    std::ofstream(dir / "preview.asm", std::ios::binary) << text;
    std::string cmd = std::string(TORVEX_PASMO) + " --bin '" + (dir / "preview.asm").string() +
                      "' '" + (dir / "preview.bin").string() + "' > '" +
                      (dir / "log.txt").string() + "' 2>&1";
    int rc = std::system(cmd.c_str());
    std::ifstream l(dir / "log.txt");
    std::stringstream ls;
    ls << l.rdbuf();
    *log = ls.str();
    std::vector<uint8_t> bytes;
    if (rc == 0) {
        std::ifstream in(dir / "preview.bin", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    fs::remove_all(dir);
    return bytes;
}

// The TI-83 build, and for `plus` the TI-83 Plus family's.
void expectSameBytes(const std::vector<std::string>& records, bool plus = false) {
    const std::string source = plus ? plusPreviewSource(records) : previewSource(records);
    torvex::z80::Assembly ours = assemblePreview(source);
    std::string log;
    std::vector<uint8_t> theirs = pasmo(toPasmo(source), &log);
    ASSERT_FALSE(theirs.empty()) << "pasmo failed:\n" << log;
    ASSERT_EQ(ours.origin, plus ? 0x9D93 : 0x9327);
    ASSERT_EQ(theirs.size(), ours.bytes.size());
    for (size_t i = 0; i < theirs.size(); ++i)
        ASSERT_EQ(theirs[i], ours.bytes[i]) << "at " << std::hex << ours.origin + i;
}

bool havePasmo() {
    return std::string(TORVEX_PASMO).find("NOTFOUND") == std::string::npos;
}

} // namespace

TEST(EnginePasmo, TheBareEngine) {
    if (!havePasmo())
        GTEST_FAIL() << "pasmo is not installed (Debian package pasmo)";
    expectSameBytes({});
}

TEST(EnginePasmo, TheHouseAndTheBenchmarkScenes) {
    if (!havePasmo())
        GTEST_FAIL() << "pasmo is not installed (Debian package pasmo)";
    for (const char* name : {"house.txt", "bench71.txt"})
        for (bool plus : {false, true})
            expectSameBytes(lineRecords(parseLineRecords(sceneText(name))), plus);
}

TEST(EnginePasmo, ARandomSceneOfMoreThan71Segments) {
    if (!havePasmo())
        GTEST_FAIL() << "pasmo is not installed (Debian package pasmo)";
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> v(-100, 100);
    Scene s;
    for (int i = 0; i < 2 * 90; ++i)
        s.push_back({static_cast<int8_t>(v(rng)), static_cast<int8_t>(v(rng)),
                     static_cast<int8_t>(v(rng))});
    expectSameBytes(lineRecords(s));
}

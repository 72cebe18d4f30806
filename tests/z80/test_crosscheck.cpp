// Proof of the encoding: our assembler and Debian's pasmo must give identical
// bytes for a corpus of every documented instruction form, and for the engine.
#include "corpus.h"
#include "z80/assembler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace torvex::z80;
namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = fs::temp_directory_path() /
                ("torvex-z80-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Assembles pasmo-dialect text with pasmo; returns the bytes or fails the test.
std::vector<uint8_t> pasmo(const std::string& text, std::string* log) {
    TempDir dir;
    fs::path src = dir.path() / "in.asm", bin = dir.path() / "out.bin",
             err = dir.path() / "err.txt";
    std::ofstream(src, std::ios::binary) << text;
    std::string cmd = std::string(TORVEX_PASMO) + " --bin " + shellQuote(src.string()) + " " +
                      shellQuote(bin.string()) + " > " + shellQuote(err.string()) + " 2>&1";
    int rc = std::system(cmd.c_str());
    std::ifstream e(err);
    std::stringstream es;
    es << e.rdbuf();
    *log = es.str();
    if (rc != 0)
        return {};
    std::ifstream in(bin, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool pasmoAvailable() {
    return std::string(TORVEX_PASMO).find("NOTFOUND") == std::string::npos &&
           fs::exists(TORVEX_PASMO);
}

// Compares our bytes with pasmo's for a TASM-dialect source and its pasmo translation.
void expectSameBytes(const std::string& tasm, const std::string& fileName,
                     const std::string& pasmoText) {
    Assembly ours = assemble(tasm, fileName);
    std::string log;
    std::vector<uint8_t> theirs = pasmo(pasmoText, &log);
    ASSERT_FALSE(theirs.empty()) << "pasmo failed:\n" << log;
    ASSERT_EQ(ours.bytes.size(), theirs.size()) << "sizes differ";
    for (size_t i = 0; i < theirs.size(); ++i) {
        if (ours.bytes[i] == theirs[i])
            continue;
        uint16_t address = static_cast<uint16_t>(ours.origin + i);
        std::string where;
        for (const auto& e : ours.listing)
            if (address >= e.address && address < e.address + e.size)
                where = e.file + ":" + std::to_string(e.line);
        char buf[128];
        std::snprintf(buf, sizeof buf, "byte at %04Xh: ours %02Xh, pasmo %02Xh", address,
                      ours.bytes[i], theirs[i]);
        FAIL() << buf << " (" << where << ")";
    }
}

} // namespace

TEST(PasmoCrossCheck, TranslationIsMechanical) {
    using torvex::z80::test::translateToPasmo;
    EXPECT_EQ(translateToPasmo("\t.org 9327h"), "\torg 9327h");
    EXPECT_EQ(translateToPasmo("\t.db 1,2"), "\tdefb 1,2");
    EXPECT_EQ(translateToPasmo("\t.DW 1"), "\tdefw 1");
    EXPECT_EQ(translateToPasmo("foo\t.equ 5"), "foo\tequ 5");
    EXPECT_EQ(translateToPasmo("foo = 5"), "foo equ 5");
    EXPECT_EQ(translateToPasmo("tab .db 1"), "tab: defb 1");
    EXPECT_EQ(translateToPasmo("\tld a,17o"), "\tld a,17q");
    EXPECT_EQ(translateToPasmo("\tld a,label0"), "\tld a,label0");
}

TEST(PasmoCrossCheck, EveryInstructionFormGivesIdenticalBytes) {
    if (!pasmoAvailable())
        GTEST_FAIL() << "pasmo is not installed (./test installs the Debian package)";
    auto corpus = torvex::z80::test::instructionCorpus();
    ASSERT_GT(corpus.size(), 1500u);
    std::vector<std::string> lines{"PLOT .equ 8E29h", "\t.org 9327h", "label0:"};
    for (size_t i = 0; i < corpus.size(); ++i) {
        if (i == corpus.size() / 3)
            lines.push_back("label1:");
        if (i == 2 * corpus.size() / 3)
            lines.push_back("label2:");
        lines.push_back(corpus[i]);
    }
    std::string tasm, pasmoText;
    for (const auto& l : lines) {
        tasm += l + "\n";
        pasmoText += torvex::z80::test::translateToPasmo(l) + "\n";
    }
    tasm += "\t.end\n";
    pasmoText += "\tend\n";
    expectSameBytes(tasm, "corpus.z80", pasmoText);
}

namespace {

// The preview source file: the template, data lines and the closing lines.
std::string previewSource() {
    fs::path templ = fs::path(TORVEX_SOURCE_DIR) / "engine" / "engine_template.z80";
    std::ifstream in(templ, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string source = ss.str();
    EXPECT_FALSE(source.empty()) << templ;
    if (!source.empty() && source.back() != '\n')
        source += "\r\n";
    for (const char* l : {"   0,   0,   0,  10,  10,  10", " -20,  30,   5, -20,  30, -5",
                          " 100,-100,   0,-100, 100,  40"})
        source += std::string("        .db ") + l + "\r\n";
    return source + "        .db 128\r\n.end\r\nEND\r\n";
}

} // namespace

TEST(PasmoCrossCheck, EngineTemplateWithSceneGivesIdenticalBytes) {
    if (!pasmoAvailable())
        GTEST_FAIL() << "pasmo is not installed (./test installs the Debian package)";
    const std::string source = previewSource();
    std::string fileName = (fs::path(TORVEX_SOURCE_DIR) / "engine" / "preview.z80").string();
    std::string pasmoText;
    for (const auto& l : preprocess(source, fileName))
        pasmoText += torvex::z80::test::translateToPasmo(l.text) + "\n";
    expectSameBytes(source, fileName, pasmoText);
}

// The preview source means the same to every assembler its users have: one
// that keeps a #define line's comment in the body (strict TASM), and one with
// calculator-style headers beside it (read with -i, as such headers need).
TEST(PreviewSource, GivesTheSameBytesUnderEveryReadingOfItsDefinesAndHeaders) {
    const std::string source = previewSource();
    const Assembly ours = assemble(source, "preview.z80");
    EXPECT_TRUE(ours.warnings.empty()) << ours.warnings.at(0).text();
    AssemblyOptions strict;
    strict.defineKeepsComment = true;
    EXPECT_EQ(assemble(source, "preview.z80", strict).bytes, ours.bytes);
    AssemblyOptions headers = strict;
    headers.ignoreCase = true;
    const Assembly beside = assemble(source, TORVEX_TEST_DATA "/ti-like/preview.z80", headers);
    EXPECT_EQ(beside.bytes, ours.bytes);
    EXPECT_EQ(beside.labels.at("MedY4"), static_cast<uint16_t>((0x8478 + 2) * 9));
    EXPECT_EQ(beside.labels.at("tLast"), 0xAE);
    EXPECT_EQ(beside.warnings.size(), 2u); // the same equate again; MedY4's precedence
}

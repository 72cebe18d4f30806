#include "tests/support/toolchain.h"

#include "codegen/engine_template.h"
#include "codegen/scene_data.h"
#include "codegen/text_lines.h"
#include "tests/support/file_bytes.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <regex>
#include <sstream>

namespace torvex::test {

std::string previewSourceText(const std::vector<std::string>& listLines) {
    return joinTextLines(previewSourceLines(engineTemplateLines(), listLines));
}

std::string translateLineToPasmo(const std::string& line) {
    static const std::regex directive(R"(^(\s*)\.(org|db|byte|dw|word|equ|end|ds|block|text)\b)",
                                      std::regex::icase);
    static const std::regex labelDirective(
        R"(^([A-Za-z_][A-Za-z0-9_]*):?(\s+)\.(equ|db|byte|dw|word|ds|block)\b)", std::regex::icase);
    static const std::regex assign(R"(^([A-Za-z_][A-Za-z0-9_]*):?\s*=)");
    static const std::regex octal(R"(\b([0-7]+)[oO]\b)");
    auto map = [](std::string d) {
        for (auto& c : d)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (d == "db" || d == "byte" || d == "text")
            return std::string("defb");
        if (d == "dw" || d == "word")
            return std::string("defw");
        if (d == "ds" || d == "block")
            return std::string("defs");
        return d;
    };
    std::smatch m;
    std::string s = line;
    if (std::regex_search(s, m, labelDirective)) {
        const std::string d = map(m[3].str());
        s = m[1].str() + (d == "equ" ? "" : ":") + m[2].str() + d + m.suffix().str();
    } else if (std::regex_search(s, m, assign)) {
        s = m[1].str() + " equ" + m.suffix().str();
    } else if (std::regex_search(s, m, directive)) {
        // pasmo takes a word in the first column for a label
        s = (m[1].length() ? m[1].str() : "\t") + map(m[2].str()) + m.suffix().str();
    }
    for (size_t i = 0; (i = s.find('^', i)) != std::string::npos;)
        s.replace(i, 1, " xor ");
    for (size_t i = 0; (i = s.find('&', i)) != std::string::npos;)
        s.replace(i, 1, " and ");
    return std::regex_replace(s, octal, "$1q");
}

namespace {
std::string translateLines(const std::string& source, bool& ended) {
    std::istringstream in(source);
    std::string out, line;
    while (!ended && std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        const std::string code = line.substr(0, line.find(';'));
        if (line.rfind("#define ", 0) == 0) {
            std::istringstream d(code.substr(8));
            std::string name, value;
            d >> name >> value;
            if (value != ".equ" && value != ".end")
                out += name + " equ " + value + "\n";
        } else if (line.rfind("#ifndef ", 0) == 0 || line.rfind("#endif", 0) == 0) {
            // only around a define of .equ, which pasmo needs not
        } else if (line.rfind("#include ", 0) == 0) {
            std::string file = line.substr(line.find('"') + 1);
            file = file.substr(0, file.find('"'));
            const std::optional<std::string> text = z80::builtinInclude(file);
            EXPECT_TRUE(text) << "no built-in " << file;
            out += translateLines(text.value_or(""), ended);
        } else {
            const size_t first = code.find_first_not_of(" \t");
            const std::string word = first == std::string::npos ? "" : code.substr(first);
            ended = word == ".end" || word == "END";
            if (!ended)
                out += translateLineToPasmo(line) + "\n";
        }
    }
    return out;
}
} // namespace

std::string translateToPasmo(const std::string& source) {
    bool ended = false;
    return translateLines(source, ended) + "\tend\n";
}

void expectPasmoGivesSameBytes(const z80::Assembly& ours, const std::string& pasmoText) {
    ASSERT_EQ(std::string(TORVEX_PASMO).find("NOTFOUND"), std::string::npos)
        << "pasmo is not installed (./test installs the Debian package)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath("in.asm");
    ASSERT_TRUE(writeFileBytes(source, pasmoText));
    QProcess pasmo;
    pasmo.setProcessChannelMode(QProcess::MergedChannels);
    pasmo.start(QStringLiteral(TORVEX_PASMO),
                {QStringLiteral("--bin"), source, dir.filePath("out.bin")});
    ASSERT_TRUE(pasmo.waitForFinished(60000)) << "pasmo did not run: " << TORVEX_PASMO;
    ASSERT_EQ(pasmo.exitCode(), 0) << "pasmo failed:\n" << pasmo.readAll().toStdString();
    const std::string theirs = fileBytes(dir.filePath("out.bin"));
    ASSERT_EQ(ours.bytes.size(), size_t(theirs.size())) << "sizes differ";
    for (size_t i = 0; i < ours.bytes.size(); ++i) {
        if (ours.bytes[i] == uint8_t(theirs[i]))
            continue;
        const auto address = uint16_t(ours.origin + i);
        std::string where;
        for (const auto& e : ours.listing)
            if (address >= e.address && address < e.address + e.size)
                where = e.file + ":" + std::to_string(e.line);
        char text[80];
        std::snprintf(text, sizeof text, "byte at %04Xh: ours %02Xh, pasmo %02Xh", address,
                      ours.bytes[i], uint8_t(theirs[i]));
        FAIL() << text << " (" << where << ")";
    }
}

} // namespace torvex::test

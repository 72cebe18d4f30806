// Torvex Designer - renders the frames of the engine running a scene in the
// emulated TI-83 to PNG files, to look at (test tool, not part of the program).
//
//   torvex-engine-frames SCENE.txt KEYS OUTDIR
//
// SCENE.txt holds line records; KEYS is a string of: f forward (DEL), b back
// (STAT), l and r turn left and right (arrows), L and R step left and right
// (VARS, CLEAR), u and d up and down. Frame n (after n keys) is written as
// OUTDIR/frame-NNN.png, four times the display's size, and the emulator's frame
// is checked against the reference model's.
#include "engine_bench_scene.h"

#include "z80/assembler.h"
#include "z80/ti83.h"

#include <QImage>

#include <cstdio>
#include <filesystem>

using namespace torvex;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SCENE.txt KEYS OUTDIR\n", argv[0]);
        return 2;
    }
    const engine::Scene scene = engine::parseLineRecords(engine::bench::readFile(argv[1]));
    std::vector<uint8_t> keys;
    for (const char* k = argv[2]; *k; ++k) {
        switch (*k) {
        case 'f':
            keys.push_back(engine::keys::Del);
            break;
        case 'b':
            keys.push_back(engine::keys::Stat);
            break;
        case 'l':
            keys.push_back(engine::keys::Left);
            break;
        case 'r':
            keys.push_back(engine::keys::Right);
            break;
        case 'L':
            keys.push_back(engine::keys::Vars);
            break;
        case 'R':
            keys.push_back(engine::keys::Clear);
            break;
        case 'u':
            keys.push_back(engine::keys::Up);
            break;
        case 'd':
            keys.push_back(engine::keys::Down);
            break;
        default:
            std::fprintf(stderr, "unknown key '%c'\n", *k);
            return 2;
        }
    }
    std::string source = engine::bench::readFile(TORVEX_ENGINE_TEMPLATE);
    for (size_t i = 0; i + 1 < scene.size(); i += 2)
        source += "        .db " + engine::lineRecord(scene[i], scene[i + 1]) + "\r\n";
    source += "        .db 128\r\n.end\r\nEND\r\n";
    const z80::Assembly a = z80::assemble(source, "frames.z80");
    z80::Ti83 calc;
    calc.loadProgram(a.bytes, a.origin);
    calc.setKeys(keys);
    z80::RunResult r = calc.run();
    std::printf("%s: %s\n", z80::toString(r.reason), r.message.c_str());
    const std::vector<engine::Frame> model = engine::run(scene, keys);
    std::filesystem::create_directories(argv[3]);
    const int scale = 4, border = 8;
    for (size_t n = 0; n < calc.frames().size(); ++n) {
        const z80::Frame& f = calc.frames()[n];
        QImage img(96 * scale + 2 * border, 64 * scale + 2 * border, QImage::Format_RGB32);
        img.fill(qRgb(120, 130, 120));
        for (int y = 0; y < 64 * scale; ++y)
            for (int x = 0; x < 96 * scale; ++x)
                img.setPixel(x + border, y + border,
                             f.pixel(x / scale, y / scale) ? qRgb(20, 24, 20)
                                                           : qRgb(190, 204, 180));
        char name[64];
        std::snprintf(name, sizeof name, "/frame-%03zu.png", n);
        img.save(QString::fromStdString(std::string(argv[3]) + name));
        const bool same = n < model.size() && model[n].bytes == f.graphBuffer;
        std::printf("frame %zu: %llu T-states, %s the model\n", n,
                    static_cast<unsigned long long>(f.tstates), same ? "equals" : "DIFFERS FROM");
    }
    return 0;
}

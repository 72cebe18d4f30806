// Torvex Designer - prints the engine template's generated tables: the label
// line "equates:" and its rows, then "headingdata:" and its rows, exactly as
// they stand in engine/engine_template.z80 (rules in engine_tables.cpp).
#include "engine/engine_tables.h"

#include <cstdio>

int main() {
    std::puts("equates:\t;equates and headingdata are necessary for Torvex to run");
    for (const std::string& line : torvex::engine::equatesLines())
        std::puts(line.c_str());
    std::puts("headingdata:");
    for (const std::string& line : torvex::engine::headingdataLines())
        std::puts(line.c_str());
    return 0;
}

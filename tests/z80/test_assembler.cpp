// Tests of the TASM-dialect assembler: directives, #define, #include, errors.
#include "z80/assembler.h"

#include <gtest/gtest.h>

#include "z80/ti83file.h"
namespace torvex::z80 {
}

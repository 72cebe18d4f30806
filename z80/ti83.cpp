#include "z80/ti83.h"
namespace torvex::z80 {
}

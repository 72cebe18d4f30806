#include "base/version.h"

namespace torvex {

const char* productVersion() {
    return TORVEX_VERSION;
}

} // namespace torvex

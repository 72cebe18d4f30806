#pragma once

// libtifiles, the independent .83p reader, initialised once per test program.
// Its header ticonv.h uses the C keyword restrict.
#define restrict __restrict__
extern "C" {
#include <tilp2/tifiles.h>
}
#undef restrict

#include <gtest/gtest.h>

namespace torvex {

struct TifilesLibrary : ::testing::Environment {
    void SetUp() override { tifiles_library_init(); }
    void TearDown() override { tifiles_library_exit(); }
};
inline const auto* const kTifilesLibrary = ::testing::AddGlobalTestEnvironment(new TifilesLibrary);

} // namespace torvex

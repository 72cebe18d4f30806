#pragma once

#include <csignal>
#include <sys/resource.h>

namespace torvex {

// Lowers the largest file size this process may write, so that a write runs
// out of room part-way as on a full disk. The signal such a write raises is
// left at its default action (ending the process): the writer under test
// must be the one that keeps the program alive.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_DFL);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

} // namespace torvex

#pragma once

#include "files/file_system.h"

#include <sys/resource.h>

namespace torvex {

// A full disk's stand-in: a lower file size limit, the process prepared as the
// programs prepare theirs at start.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        system::prepareProcessForFileWrites();
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

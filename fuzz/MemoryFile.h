#pragma once
// The fuzz input as a file: an anonymous memory file, made once and rewritten for every input,
// reached through its /proc path as the readers under test reach any file.
#include "posix_io.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
    explicit MemoryFile(const char* name) : fd_(::memfd_create(name, 0)) {
        std::snprintf(path_, sizeof path_, "/proc/self/fd/%d", fd_);
    }

    // Makes the file hold exactly `data`; false when it could not be made or written.
    bool hold(const uint8_t* data, size_t size) {
        return fd_ >= 0 && ::ftruncate(fd_, 0) == 0 && korvel::posix::pwriteFull(fd_, data, size, 0);
    }

    char* path() { return path_; }

private:
    int fd_;
    char path_[64];
};

// Helpers shared by the fuzz entry points.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A file of this process for the input bytes, on /dev/shm where it exists: the file writers
// sync every file they replace, which on a disk would slow a fuzzing run a hundredfold.
inline const std::string& fuzzFilePath(const char* suffix) {
    static const std::string path = [suffix] {
        const bool shm = access("/dev/shm", W_OK) == 0;
        std::string pattern = std::string(shm ? "/dev/shm" : "/tmp") + "/kolvira-fuzz-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            std::abort();
        }
        close(fd);
        unlink(pattern.c_str());
        return pattern + suffix;
    }();
    return path;
}

inline void writeFuzzFile(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::abort();
    }
}

// A broken promise of the code under test: libFuzzer records the input as a crash.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

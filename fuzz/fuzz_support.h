// Helpers shared by the fuzz entry points.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

// A folder of this process for the input file and whatever the code under test writes beside
// it (temporary files, a lock file), on /dev/shm where it exists: the file writers sync every
// file they replace, which on a disk would slow a fuzzing run a hundredfold. The folder goes
// when the process ends normally, as it does after a corpus replay.
class FuzzFolder {
  public:
    FuzzFolder() {
        const bool shm = access("/dev/shm", W_OK) == 0;
        std::string pattern = std::string(shm ? "/dev/shm" : "/tmp") + "/kolvira-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern + "/";
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The input file, named "input" and `suffix`, in the process's own folder.
inline const std::string& fuzzFilePath(const char* suffix) {
    static const FuzzFolder folder;
    static const std::string path = folder.path() + "input" + suffix;
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

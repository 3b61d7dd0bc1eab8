// Helpers shared by the fuzz targets.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// Stops the run with a message when a property of the code under test does not hold.
#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);              \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

// One scratch file per fuzzing process, rewritten with every input and removed at exit. It lives
// in memory (/dev/shm) where there is one, so the file system does not slow the fuzzing down.
class FuzzFile {
public:
    explicit FuzzFile(const char* suffix) {
        char name[64];
        std::snprintf(name, sizeof name, "%s/vk-fuzz-XXXXXX",
                      access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        int fd = mkstemp(name);
        FUZZ_CHECK(fd >= 0);
        close(fd);
        unlink(name);
        m_path = std::string(name) + suffix;
    }
    ~FuzzFile() { unlink(m_path.c_str()); }

    const char* Write(const unsigned char* data, size_t size) {
        FILE* f = std::fopen(m_path.c_str(), "wb");
        FUZZ_CHECK(f != nullptr);
        FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
        FUZZ_CHECK(std::fclose(f) == 0);
        return m_path.c_str();
    }

private:
    std::string m_path;
};

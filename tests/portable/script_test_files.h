// Small helpers for tests that work with files: a private temporary directory per test and
// whole-file reads and writes in binary.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<unsigned> counter{0};
        std::random_device rd;
        const auto now = (unsigned long long)std::chrono::steady_clock::now().time_since_epoch().count();
        const std::string name = "vk-test-" + std::to_string(rd()) + "-" +
                                 std::to_string(now % 1000000007ULL) + "-" + std::to_string(counter++);
        m_dir = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(m_dir);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), (std::streamsize)bytes.size());
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// What the tests share: numbers as written, a file read whole, and a folder of a test's own.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Numbers as the program reads them, each rounded once to a float: "nan", "inf" and "-0" too.
inline std::vector<float> floats(const std::string& words) {
    std::istringstream in(words);
    std::vector<float> values;
    for (std::string word; in >> word;) {
        values.push_back(std::strtof(word.c_str(), nullptr));
    }
    return values;
}

// A folder of a test's own, removed with what is in it when it goes, however the test
// ended; folders a test made unwritable are opened up again first.
struct Scratch {
    std::filesystem::path path;
    explicit Scratch(const char* name)
        : path(::testing::TempDir() + name + std::to_string(getpid())) {
        std::filesystem::create_directories(path);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() {
        namespace fs = std::filesystem;
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
            if (entry.is_directory(error) && !entry.is_symlink(error)) {
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
            }
        }
        fs::remove_all(path, error);
    }
};

#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/CCFileUtils.h"
#include "storage/CCUserDefault.h"

// Gives every test a fresh writable folder through VELOQUIX_HOME and fresh
// singletons, and puts the environment back afterwards.
class StorageTestHome : public ::testing::Test {
protected:
    void SetUp() override {
        resetSingletons();
        for (const char* name : {"VELOQUIX_HOME", "XDG_DATA_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
        }
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veloquix-storage-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        setenv("VELOQUIX_HOME", root_.c_str(), 1);
    }

    void TearDown() override {
        resetSingletons();
        for (const auto& entry : saved_) {
            if (entry.present) {
                setenv(entry.name, entry.value.c_str(), 1);
            } else {
                unsetenv(entry.name);
            }
        }
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    static void resetSingletons() {
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::destroyInstance();
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void writeFile(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    static std::vector<std::string> namesIn(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static mode_t modeOf(const std::string& path) {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }

    // The fresh folder, without a trailing slash.
    std::string root_;

private:
    struct SavedVariable {
        const char* name;
        bool present;
        std::string value;
    };
    std::vector<SavedVariable> saved_;
};

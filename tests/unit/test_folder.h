// A fresh temporary folder for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::test {

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes bytes to a file under the folder, making its folders.
    std::filesystem::path Write(const std::string& relative, std::string_view bytes) const;
    // The bytes of a file under the folder ("" when missing).
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

}  // namespace velmora::test

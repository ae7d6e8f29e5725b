// Whole-file reading and safe writing. A file is never left half-written:
// new content goes to a temporary file in the same folder, which is renamed
// over the old file only when it has been written and flushed in full.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::base {

// The whole content of a file. Throws FileError naming the file and the reason.
std::string ReadWholeFile(const std::filesystem::path& path);

// Bytes written to a temporary file beside `target`; Commit() renames it over
// the target. Destroyed uncommitted, it removes the temporary file, so several
// files can be staged and committed together only once all were written.
class StagedFile {
public:
    // Throws FileError when the bytes cannot be written in full.
    StagedFile(std::filesystem::path target, std::string_view bytes);
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Throws FileError when the rename fails.
    void Commit();

private:
    void WriteAll(int fd, std::string_view bytes) const;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    bool pending_ = false;
};

// Writes one file safely (a StagedFile committed at once).
void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

}  // namespace velmora::base

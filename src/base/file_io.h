// Safe writing (files are read through the gate of base/project_file.h).
// A file is never left half-written: new content goes to a temporary file in
// the same folder, which is renamed over the old file only when it has been
// written and flushed in full, and the folder is flushed after the rename, so
// a power cut keeps it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::base {

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

    // Throws FileError when the rename fails. `syncFolder` false leaves
    // flushing the folder to the caller that commits several files.
    void Commit(bool syncFolder = true);

private:
    void WriteAll(int fd, std::string_view bytes) const;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    bool pending_ = false;
};

// Writes one file safely (a StagedFile committed at once).
void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Flushes a folder's entries (renames, new and removed files) to the disk.
void SyncFolder(const std::filesystem::path& folder);

// Removes a file; one that is already gone is no error.
void RemoveFile(const std::filesystem::path& path);

// A temporary file that StagedFile makes ("NAME.tmp-XXXXXX"): one left
// behind by a killed program may be removed.
bool IsTemporaryName(std::string_view name);

}  // namespace velmora::base

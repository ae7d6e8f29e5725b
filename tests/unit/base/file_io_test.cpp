#include "base/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>
#include <vector>

#include "base/file_error.h"
#include "unit/test_folder.h"

namespace fs = std::filesystem;

namespace velmora::base {
namespace {

using test::TestFolder;

TEST(FileIo, StagedFilesReplaceOnlyOnCommit) {
    TestFolder dir;
    dir.Write("slot.ini", "old");
    {
        StagedFile staged(dir.path() / "slot.ini", "new");
        EXPECT_EQ(dir.Read("slot.ini"), "old");
        staged.Commit();
    }
    EXPECT_EQ(dir.Read("slot.ini"), "new");
    {
        StagedFile abandoned(dir.path() / "slot.ini", "lost");
    }
    EXPECT_EQ(dir.Read("slot.ini"), "new");
    // No temporary file is left behind either way.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FileIo, AFailedWriteSaysWhichFileAndWhy) {
    TestFolder dir;
    dir.Write("plain-file", "x");
    try {
        WriteFileAtomic(dir.path() / "plain-file/slot.ini", "new");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(e.file().find("plain-file/slot.ini"), std::string::npos);
        EXPECT_NE(e.problem().find("часть пути не папка"), std::string::npos);
    }
    EXPECT_THROW(WriteFileAtomic(dir.path() / "no/such/folder/x.ini", "x"), FileError);
    EXPECT_EQ(dir.Read("plain-file"), "x");
}

// A disk that fills up while a file is written, as a limit on file size
// gives it (the signal it would send is ignored, as the program ignores it).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

TEST(FileIo, AWriteThatRunsOutOfSpaceLeavesNoTemporaryFileAndTheOldFile) {
    TestFolder dir;
    dir.Write("slot.ini", "old");
    for (int attempt = 0; attempt < 3; ++attempt) {
        const FileSizeLimit limit(1024);
        try {
            WriteFileAtomic(dir.path() / "slot.ini", std::string(100000, 'x'));
            ADD_FAILURE() << "the write did not fail";
        } catch (const FileError& e) {
            EXPECT_NE(e.problem().find("не записывается"), std::string::npos) << e.what();
        }
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"slot.ini"});
    EXPECT_EQ(dir.Read("slot.ini"), "old");
}

TEST(FileIo, WriteKeepsTheModeOfTheFileItReplaces) {
    TestFolder dir;
    const fs::path file = dir.Write("main.ini", "a");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileAtomic(file, "b");
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileAtomic(dir.path() / "new.ini", "c");
    EXPECT_NE(fs::status(dir.path() / "new.ini").permissions() & fs::perms::others_read,
              fs::perms::none);
}

}  // namespace
}  // namespace velmora::base

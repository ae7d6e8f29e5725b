#include "talkui/file_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "talkui/editor_lines.h"
#include "talkui/folder_reader.h"
#include "talkui/menu_line.h"
#include "unit/talkui/harness.h"
#include "unit/test_folder.h"

namespace fs = std::filesystem;

namespace velmora::talkui::test {
namespace {

struct FileLineTest : ::testing::Test {
    Harness h;
    velmora::test::TestFolder folder;
    std::unique_ptr<TFileLine> line = h.MakeList<TFileLine>();
    std::vector<std::string> chosen;

    FileLineTest() {
        fs::create_directories(folder.path() / "b_dir");
        fs::create_directories(folder.path() / "A_dir" / "inner");
        folder.Write("A_dir/z.txt", "z");
        for (const char* name : {"c.txt", "B.mp3", "a.txt", "ёж.txt", "еда.txt"}) folder.Write(name, "x");
        h.focus = h.kit.List.get();
    }
    std::string Root() const { return folder.path().string() + "/"; }
    std::string RootName() const { return folder.path().filename().string(); }
    void Open(const std::string& utf8Path) {
        line->OpenOn(T(utf8Path.c_str()), [this](const std::string& t) { chosen.push_back(base::Cp1251ToUtf8(t)); });
        h.Take();
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < h.kit.List->Count(); ++i) rows.push_back(base::Cp1251ToUtf8(h.kit.List->Item(i).Text));
        return rows;
    }
    std::string Prefix() const { return base::Cp1251ToUtf8(line->Prefix); }
};

TEST_F(FileLineTest, FoldersComeFirstEachGroupAlphabetically) {
    Open(Root());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A_dir", "b_dir", "a.txt", "B.mp3", "c.txt", "еда.txt", "ёж.txt"}));
    EXPECT_EQ(line->FolderCount, 2);
    EXPECT_EQ(line->FileCount, 5);
    EXPECT_EQ(base::Cp1251ToUtf8(h.kit.Edit->Text()), Root());
    line->Command(20);  // to the first file
    EXPECT_EQ(h.Take(), (Heard{"say: a.txt"}));
}

TEST_F(FileLineTest, MasksListFoldersAndTheMatchingFilesOnce) {
    Open(Root());
    line->Mask = "*.txt";
    line->ReadFolder();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A_dir", "b_dir", "a.txt", "c.txt", "еда.txt", "ёж.txt"}));
    EXPECT_EQ(line->FolderCount, 2);
    EXPECT_EQ(line->FirstFile, 2);
    line->Mask = "-*.TXT";  // every file but the text files
    line->ReadFolder();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A_dir", "b_dir", "B.mp3"}));
    EXPECT_EQ(line->FileCount, 1);
    line->Mask = "*.mp3;b*";
    line->ReadFolder();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A_dir", "b_dir", "B.mp3"}));
    EXPECT_EQ(line->FileCount, 1);
    EXPECT_EQ(line->FolderCount, 2);
}

TEST_F(FileLineTest, EnteringAndGoingBackKeepTheFolderJustLeft) {
    Open(Root());
    h.ArrowDown();
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"say: A_dir", "say: папок 1, файлов 1"}));
    EXPECT_EQ(Prefix(), Root() + "A_dir/");
    h.Backspace();
    EXPECT_EQ(h.Take(), (Heard{"say: " + RootName() + "/A_dir"}));
    EXPECT_EQ(line->Current, 0);
    EXPECT_EQ(Prefix(), Root());

    h.Type("b_dir\\");  // a typed folder name, entered with the backslash
    EXPECT_EQ(Prefix(), Root() + "b_dir/");
    h.Backspace();
    h.Take();
    h.Press(ui::vk::End);
    h.Enter();  // a file: its full path goes to the completion
    EXPECT_EQ(chosen, (std::vector<std::string>{Root() + "ёж.txt"}));
    EXPECT_EQ(h.Take(), (Heard{"say: ёж.txt", "cue: 13", "cue: 3"}));
}

TEST_F(FileLineTest, DescriptionsAndMarksAreSpoken) {
    folder.Write("DESCRIPT.ION", T("\"a.txt\" первый файл\r\nc.txt третий\r\n\r\nB.mp3 after the blank line\r\n"));
    Open(Root());
    line->Current = 2;
    line->SelectCurrent(true);
    EXPECT_EQ(h.Take(), (Heard{"say: a.txt описание  первый файл"}));
    line->Command(16);  // marked, and the cursor moves on
    EXPECT_EQ(h.Take(), (Heard{"say: B.mp3"}));
    h.ArrowUp();
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: a.txt описание  первый файл"}));
    line->Command(16);
    h.ArrowUp();
    EXPECT_EQ(h.Take(), (Heard{"say: B.mp3", "say: a.txt описание  первый файл"}));
    line->Command(25);
    EXPECT_EQ(h.Take(), (Heard{"say: Выделено папок 2, файлов 6"}));  // descript.ion too
    EXPECT_EQ(line->Marked.Count(), 8);

    h.ArrowDown();
    h.ArrowDown();
    h.Take();
    line->Marked.Clear();
    h.ArrowUp();
    h.ArrowDown();
    EXPECT_EQ(h.Take(), (Heard{"say: B.mp3", "say: c.txt описание третий"}));
    h.Backspace();  // another folder: its own descriptions only
    h.Take();
    line->OpenOn(T((Root() + "A_dir/").c_str()), nullptr);
    EXPECT_TRUE(line->Descriptions.empty());
}

TEST_F(FileLineTest, HistoryIsForgottenBeyondThirtyTwoLevels) {
    fs::path deep = folder.path() / "n";
    for (int i = 1; i < 34; ++i) deep /= "n";
    fs::create_directories(deep);
    Open(Root() + "n/");
    for (int level = 0; level < 33; ++level) {
        h.ArrowDown();
        h.Enter();
    }
    h.Take();
    h.Backspace();  // the 33rd folder emptied the history
    EXPECT_EQ(h.Take(), (Heard{"say: n/"}));
    EXPECT_EQ(line->Current, -1);
    h.ArrowDown();
    h.Enter();
    h.Backspace();  // within the history the cursor comes back
    EXPECT_EQ(h.Take(), (Heard{"say: n", "say: папок 0, файлов 0", "say: n/n"}));
}

TEST_F(FileLineTest, TheRootLeadsToTheDrives) {
    line->ListDrives = [] {
        return std::vector<DriveInfo>{
            {"/", DriveInfo::Kind::Fixed, 10, 20},
            {"/mnt/net", DriveInfo::Kind::Network, {}, {}},
            {"/cd", DriveInfo::Kind::CdRom, {}, {}},
            {"/full", DriveInfo::Kind::Fixed, 0, 5},
        };
    };
    Open("/");
    h.Backspace();
    EXPECT_EQ(h.Take(), (Heard{"say: список дисков"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"/ свободно 10 байт всего 20 байт", "/mnt/net сетевой",
                                                "/cd компакт-диск", "/full всего 5 байт"}));
    EXPECT_EQ(line->Prefix, "");
    EXPECT_EQ(h.kit.Edit->Text(), "");
    h.Backspace();
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: список дисков"}));
    h.ArrowDown();
    h.Enter();
    EXPECT_EQ(line->Prefix, "/");
}

TEST_F(FileLineTest, FolderBookmarksAndMissingFolders) {
    Open(Root() + "A_dir/");
    h.Press('1', 0, {.Alt = true});
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
    h.Backspace();
    h.Press('1', 0, {.Ctrl = true});
    EXPECT_EQ(Prefix(), Root() + "A_dir/");
    EXPECT_EQ(h.Take().back(), "say: " + Root() + "A_dir/");

    fs::path longer = folder.path();
    while (longer.string().size() <= kMaxBookmarkPath) longer /= std::string(60, 'x');
    fs::create_directories(longer);
    Open(longer.string());
    h.Press('2', 0, {.Alt = true});
    EXPECT_EQ(h.kit.FolderBookmarks[2], "");  // too long to keep

    Open(Root() + "gone/deeper/file");  // the nearest folder that exists
    EXPECT_EQ(Prefix(), Root());
}

TEST_F(FileLineTest, RowsAreColouredByMarkFolderAndExtension) {
    h.kit.Settings = TSpLinePropBag::Create({});
    line = h.MakeList<TFileLine>();
    h.kit.Settings->Types.Add(".mp3", static_cast<int32_t>(ui::Rgb(0xFF, 0, 0)));
    Open(Root());
    line->Marked.Add("c.txt");
    const TSpLinePropBag& s = *h.kit.Settings;
    auto colour = [&](int row) { return h.kit.List->PaintItem(row, {0, 0, 100, 20}).value().Runs.at(0).Color; };
    EXPECT_EQ(colour(0), s.Dir);
    EXPECT_EQ(colour(2), s.File);
    EXPECT_EQ(colour(3), ui::Rgb(0xFF, 0, 0));  // B.mp3: the extension's case does not matter
    EXPECT_EQ(colour(4), s.Mark);
    line->Current = 3;
    line->SelectCurrent(false);
    EXPECT_EQ(colour(3), s.CursorFont);
}

TEST_F(FileLineTest, TypingModeGoesToTheTypedPath) {
    Open(Root());
    line->Command(7);
    EXPECT_EQ(h.Take(), (Heard{"say: введите путь"}));
    h.Type("b_dir");
    EXPECT_EQ(h.Take().size(), 5u);  // each typed character is named
    h.Enter();
    EXPECT_FALSE(line->TypingMode);
    EXPECT_EQ(Prefix(), Root() + "b_dir/");
    EXPECT_EQ(h.Take(), (Heard{"say: " + Root() + "b_dir/"}));
    h.ArrowDown();  // a list again
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
}

TEST_F(FileLineTest, TheContextMenuActsOnTheNavigator) {
    Open(Root());
    h.ArrowDown();
    h.Take();
    h.Press(ui::vk::Apps);
    EXPECT_EQ(h.Take(), (Heard{"say: файловая строка. контекстное меню"}));
    h.Type("мар");
    EXPECT_EQ(h.Take().back(), "cue: 14");
    h.Enter();  // "маркировка": the menu closes and the row is marked
    EXPECT_EQ(h.kit.ActiveLine, line.get());
    EXPECT_EQ(line->Marked.IndexOf("A_dir"), 0);
    EXPECT_EQ(line->Current, 1);
}

TEST_F(FileLineTest, OpensAsTheEditorOfAPathValue) {
    EditorLines editors(h.kit, h.panel);
    editors.Install();
    std::string path = T((Root() + "A_dir/").c_str());
    TMenuBlock block;
    TMenuEntry& entry = block.AddEntry(T("Файл"), etValue);
    entry.Aux = "f";
    entry.TextValue = &path;
    auto menu = h.MakeList<TMenuLine>();
    menu->OpenBlock(block);
    h.ArrowDown();
    EXPECT_EQ(h.Take(), (Heard{"say: Файл значение " + Root() + "A_dir/ строка для ввода пути к файлам . "}));
    h.Enter();
    ASSERT_EQ(h.kit.ActiveLine, editors.FileLine());
    h.ArrowDown();
    h.ArrowDown();
    h.Enter();
    EXPECT_EQ(base::Cp1251ToUtf8(path), Root() + "A_dir/z.txt");
    EXPECT_EQ(h.kit.ActiveLine, menu.get());

    // Escape leaves the navigator, and the path stays.
    h.Enter();
    h.Escape();
    EXPECT_EQ(h.kit.ActiveLine, menu.get());
    EXPECT_EQ(base::Cp1251ToUtf8(path), Root() + "A_dir/z.txt");
    // A kind with no editor is refused.
    entry.Aux = "d";
    h.Take();
    h.Enter();
    EXPECT_EQ(h.Take().back(), "cue: 13");
    EXPECT_EQ(h.kit.ActiveLine, menu.get());
}

TEST(FolderReader, MasksPathsAndDescriptionLines) {
    EXPECT_TRUE(MatchesMask("*.TXT", "a.txt"));
    EXPECT_TRUE(MatchesMask("a?c", "abc"));
    EXPECT_FALSE(MatchesMask("a?c", "ac"));
    EXPECT_TRUE(MatchesMask("*.*", "README"));
    EXPECT_TRUE(MatchesMask("read*.*", "README"));
    EXPECT_FALSE(MatchesMask("*.mp3", "a.mp3.txt"));
    EXPECT_EQ(ParentPrefix("/a/b/"), "/a/");
    EXPECT_EQ(ParentPrefix("/"), "");
    EXPECT_EQ(LastComponent("/a/b/"), "b");
    EXPECT_EQ(Extension("/x.y/file"), "");
    EXPECT_EQ(Extension("song.Mp3"), ".Mp3");
    EXPECT_EQ(NormalisePath("C:\\a\\"), "C:/a/");

    const std::string longLine = "big " + std::string(5000, 'd') + "\nnext one\n";
    const auto lines = ParseDescriptions(longLine + "\"open quote\nnoblank\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first, "big");
    EXPECT_EQ(lines[0].second.size(), kMaxDescriptionLine - 4);
    EXPECT_EQ(lines[1], (std::pair<std::string, std::string>{"next", "one"}));
}

TEST(Drives, MountPointsThatHoldFiles) {
    const auto drives = ParseMounts(
        "proc /proc proc rw 0 0\n"
        "/dev/sda1 / ext4 rw 0 0\n"
        "overlay /var/lib/docker overlay rw 0 0\n"
        "server:/share /mnt/net nfs4 rw 0 0\n"
        "/dev/sr0 /media/cd iso9660 ro 0 0\n"
        "/dev/sdb1 /media/my\\040stick vfat rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n");
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0].Path, "/");
    EXPECT_EQ(drives[1].Path, "/media/cd");
    EXPECT_EQ(drives[1].Type, DriveInfo::Kind::CdRom);
    EXPECT_EQ(drives[2].Path, "/media/my stick");
    EXPECT_EQ(drives[3].Type, DriveInfo::Kind::Network);
    EXPECT_FALSE(SystemDrives().empty());
}

}  // namespace
}  // namespace velmora::talkui::test

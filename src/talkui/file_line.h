// TFileLine: the spoken file chooser. Its rows are the folders and files of
// one folder (or the drives), walked like a menu; Enter opens a folder or
// hands the chosen file's full path to the completion.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "talkui/drives.h"
#include "talkui/list_line.h"

namespace velmora::talkui {

class TFileLine : public TListLine {
public:
    // Row objects.
    static constexpr int32_t kFileRow = 0;
    static constexpr int32_t kFolderRow = 1;
    static constexpr int32_t kFirstDriveRow = 2;
    static constexpr int kHistorySize = 32;

    TFileLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
              std::shared_ptr<ui::ListBox>* listSlot, std::shared_ptr<TSpLinePropBag>* settingsSlot);

    void KeyDown(int& key, ui::ShiftState shift) override;
    void KeyPress(char& ch) override;
    bool Command(int code) override;
    void Enter(char ch) override;
    void ContextMenu() override;
    void Help() override;
    std::optional<ui::ItemPaint> DrawItem(int row, ui::Rect box, bool selected) override;
    void EmptySearchCue() override;
    void Back() override;
    void Describe(std::string& text) override;

    // Shows the folder of a path (or its nearest existing ancestor).
    void OpenOn(std::string path, CompletionFn completion);
    // Reads Prefix into the rows, folders first; false when Prefix did not
    // exist and an ancestor was read instead.
    bool ReadFolder();

    int32_t FileCount = 0;
    int32_t FolderCount = 0;
    int32_t FirstFile = 0;  // row of the first file
    std::string Mask = "*.*";  // masks separated by ";", "-" or "|" before one excludes
    StringList Marked{true};
    std::vector<std::pair<std::string, std::string>> Descriptions;
    std::array<int32_t, kHistorySize> History{};  // the row each folder was entered from
    int HistoryCount = 0;
    bool TypingMode = false;  // the player types a path
    std::string TypedPath;
    std::function<std::vector<DriveInfo>()> ListDrives = SystemDrives;

private:
    void ShowDrives();
    void ToggleTyping();
    void MarkRow();
    void GoToFirstFile();
    void MarkAll();
    std::string CountsText() const;
    std::string DescriptionOf(const std::string& name) const;

    std::vector<DriveInfo> drives_;
};

}  // namespace velmora::talkui

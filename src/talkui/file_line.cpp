#include "talkui/file_line.h"

#include <algorithm>
#include <map>

#include "base/cp1251.h"
#include "talkui/context_blocks.h"
#include "talkui/flag_scope.h"
#include "talkui/folder_reader.h"
#include "talkui/prop_bag.h"
#include "talkui/texts.h"

namespace velmora::talkui {
namespace {

struct RowOrder {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareText1251(a, b) < 0;
    }
};

std::vector<std::string> SplitMasks(const std::string& masks) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= masks.size()) {
        const size_t end = std::min(masks.find(';', start), masks.size());
        if (end > start) parts.push_back(masks.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

TFileLine::TFileLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
                     std::shared_ptr<ui::ListBox>* listSlot,
                     std::shared_ptr<TSpLinePropBag>* settingsSlot)
    : TListLine(kit, owner, editSlot, listSlot, settingsSlot) {}

void TFileLine::OpenOn(std::string path, CompletionFn completion) {
    Prefix = NormalisePath(path);
    HistoryCount = 0;
    TypingMode = false;
    HookEvents();
    ReadFolder();
    Marked.Clear();
    OpenLine(*this, Prefix, std::move(completion));
}

bool TFileLine::ReadFolder() {
    bool result = true;
    FileCount = FolderCount = 0;
    drives_.clear();
    Captions.Clear();
    Captions.SetSorted(false);
    Prefix = NormalisePath(Prefix);
    while (!IsFolder(Prefix)) {
        result = false;
        const std::string up = ParentPrefix(Prefix);
        Prefix = up.empty() || up.front() != '/' ? "/" : up;
        if (Prefix == "/" && !IsFolder(Prefix)) break;
    }
    if (Prefix.back() != '/') Prefix += '/';
    Edit->SetText(Prefix);

    // A blank before a folder's name sorts the folders first; each name is
    // counted once, however many masks it matches.
    std::map<std::string, int32_t, RowOrder> rows;
    bool exclude = false;
    auto add = [&](const FolderEntry& entry, bool allPass) {
        if (entry.Folder) {
            if (rows.emplace(" " + entry.Name, kFolderRow).second) ++FolderCount;
        } else if (!allPass) {
            if (rows.emplace(entry.Name, kFileRow).second) ++FileCount;
        } else if (exclude) {
            // The files of an excluding mask were listed; now every other one is.
            if (rows.erase(entry.Name) > 0) {
                --FileCount;
            } else {
                rows.emplace(entry.Name, kFileRow);
                ++FileCount;
            }
        }
    };
    const std::vector<FolderEntry> entries = ListFolder(Prefix);
    for (std::string mask : SplitMasks(Mask)) {
        exclude = mask.front() == '-' || mask.front() == '|';
        if (exclude) mask.erase(0, 1);
        for (const FolderEntry& entry : entries) {
            if (MatchesMask(mask, entry.Name)) add(entry, false);
        }
    }
    if (Mask != "*.*") {
        for (const FolderEntry& entry : entries) add(entry, true);
    }
    for (const auto& [text, object] : rows) {
        Captions.Add(object == kFolderRow ? text.substr(1) : text, object);
    }
    ResetFilter();
    FirstFile = FolderCount;
    // Descriptions belong to one folder only.
    Descriptions = ReadDescriptions(Prefix);
    return result;
}

void TFileLine::KeyDown(int& key, ui::ShiftState shift) {
    if (Kit().KeyLock) {
        key = 0;
        return;
    }
    if (TypingMode) {
        Edit->ReadOnly = false;
        TSpLine::KeyDown(key, shift);
        return;
    }
    if (ui::IsDigitKey(key) && (shift.Alt || shift.Ctrl)) {
        std::string& mark = Kit().FolderBookmarks[static_cast<size_t>(key - ui::vk::Digit0)];
        if (shift.Ctrl) {
            Prefix = mark;
            Search.clear();
            ReadFolder();
            Edit->SetText(Prefix);
            Kit().Speak(Prefix);
        } else {
            if (Prefix.size() <= kMaxBookmarkPath) mark = Prefix;
            Kit().Signal(kCueBoundary);
        }
    }
    TListLine::KeyDown(key, shift);
}

void TFileLine::KeyPress(char& ch) {
    if (Kit().KeyLock) {
        ch = 0;
        return;
    }
    if (TypingMode) {
        TSpLine::KeyPress(ch);
        return;
    }
    if (ch == '\\' || ch == '/') {
        ch = 0;
        Enter('\\');
        return;
    }
    TListLine::KeyPress(ch);
}

bool TFileLine::Command(int code) {
    switch (code) {
        case 7:
            ToggleTyping();
            return true;
        case 16:
            MarkRow();
            return true;
        case 20:
            GoToFirstFile();
            return true;
        case 25:
            MarkAll();
            return true;
        default:
            return TListLine::Command(code);
    }
}

void TFileLine::Enter(char ch) {
    if (TypingMode) {
        ToggleTyping();  // Enter ends typing and goes to the typed path
        return;
    }
    std::string name;
    int32_t object = kFileRow;
    if (ch == '\\' && !Search.empty()) {
        name = Search;
    } else if (!ValidRow(Current)) {
        Accept();
        return;
    } else {
        name = RowText(Current);
        object = RowObject(Current);
    }
    std::string target;
    if (object >= kFirstDriveRow && object - kFirstDriveRow < static_cast<int32_t>(drives_.size())) {
        target = drives_[static_cast<size_t>(object - kFirstDriveRow)].Path;
        if (target.empty() || target.back() != '/') target += '/';
    } else if (Prefix.empty() || IsFolder(Prefix + name)) {
        target = Prefix + name + "/";
    } else {
        Accept();  // a file: its full path is the edit text
        return;
    }
    if (HistoryCount >= kHistorySize) {
        HistoryCount = 0;
    } else {
        History[static_cast<size_t>(HistoryCount++)] = Captions.IndexOf(name);
    }
    Prefix = target;
    if (ReadFolder()) {
        Marked.Clear();
        Kit().Speak(CountsText());
        SelectCurrent(false);
        Repaint();
    } else {
        Kit().Speak(Prefix);  // where the player landed instead
    }
}

void TFileLine::Back() {
    if (Prefix.empty()) {
        Edit->SetText({});
        Kit().Signal(kCueBoundary);
        Kit().Speak(Texts().DriveList);
        return;
    }
    const std::string up = ParentPrefix(Prefix);
    if (up.empty()) {
        ShowDrives();
        return;
    }
    {
        FlagScope quiet(NoRepaint);
        Prefix = up;
        ReadFolder();
        Marked.Clear();
        Current = HistoryCount > 0 ? History[static_cast<size_t>(--HistoryCount)] : -1;
        Edit->SetText(Prefix);
        std::string said = LastComponent(Prefix) + "/";
        if (ValidRow(Current)) said += RowText(Current);
        Kit().Speak(said);
        SelectCurrent(false);
    }
    Repaint();
}

void TFileLine::ShowDrives() {
    drives_ = ListDrives ? ListDrives() : std::vector<DriveInfo>{};
    Captions.Clear();
    Captions.SetSorted(false);
    FileCount = FolderCount = FirstFile = 0;
    const ToolkitTexts& t = Texts();
    for (size_t i = 0; i < drives_.size(); ++i) {
        const DriveInfo& drive = drives_[i];
        std::string row = drive.Path;
        if (drive.Type == DriveInfo::Kind::Network) {
            row += t.NetworkDrive;
        } else if (drive.Type == DriveInfo::Kind::CdRom) {
            row += t.CdDrive;
        } else if (drive.Free && drive.Total) {
            if (*drive.Free > 0) row += t.FreeWord + std::to_string(*drive.Free) + t.SizeUnit;
            row += t.TotalWord + std::to_string(*drive.Total) + t.SizeUnit;
        }
        Captions.Add(std::move(row), kFirstDriveRow + static_cast<int32_t>(i));
    }
    Prefix.clear();
    Edit->SetText({});
    Kit().Speak(t.DriveList);
    ResetFilter();
}

void TFileLine::ToggleTyping() {
    if (!TypingMode) {
        TypingMode = true;
        TypedPath = Edit->Text();
        Edit->SetText(TypedPath);
        Edit->SetSel(static_cast<int>(TypedPath.size()), 0);
        Edit->ReadOnly = false;
        Edit->SetFocus();  // the typed characters go into the edit
        Kit().Speak(Texts().TypingPrompt);
        return;
    }
    TypingMode = false;
    List->SetFocus();
    TypedPath = Edit->Text();
    Prefix = TypedPath;
    Search.clear();
    ReadFolder();
    Kit().Speak(Prefix);
}

void TFileLine::MarkRow() {
    if (!ValidRow(Current)) {
        Kit().Signal(kCueBoundary);
        return;
    }
    const std::string& name = RowText(Current);
    const int at = Marked.IndexOfExact(name);
    if (at >= 0) {
        Marked.Delete(at);
    } else {
        Marked.Add(name);
    }
    if (Current < List->Count() - 1) ++Current;
    SelectCurrent(true);
}

void TFileLine::GoToFirstFile() {
    if (List->Count() == 0) {
        Kit().Signal(kCueBoundary);
        return;
    }
    if (Search.empty() && ValidRow(FirstFile)) {
        Current = FirstFile;
    } else {
        Current = List->Count() - 1;
        for (int i = 0; i < List->Count(); ++i) {
            if (RowObject(i) != kFolderRow) {
                Current = i;
                break;
            }
        }
    }
    SelectCurrent(true);
}

void TFileLine::MarkAll() {
    Marked.Clear();
    for (const StringList::Item& item : Captions.Items()) Marked.Add(item.Text);
    Kit().Speak(Texts().Selected + CountsText());
    SelectCurrent(false);
    Repaint();
}

std::string TFileLine::CountsText() const {
    const ToolkitTexts& t = Texts();
    return t.FoldersWord + std::to_string(FolderCount) + t.FilesWord + std::to_string(FileCount);
}

std::string TFileLine::DescriptionOf(const std::string& name) const {
    for (const auto& [file, description] : Descriptions) {
        if (base::EqualsNoCase1251(file, name)) return description;
    }
    return {};
}

void TFileLine::ContextMenu() { OpenContext(Texts().FileContext, Kit().Contexts().FileBlock()); }

void TFileLine::Help() {
    const TSpLine* line = Kit().ActiveLine ? Kit().ActiveLine : this;
    Kit().Speak(Extension(line->Edit->Text()));
}

std::optional<ui::ItemPaint> TFileLine::DrawItem(int row, ui::Rect box, bool selected) {
    if (NoRepaint || !ValidRow(row)) return std::nullopt;
    const TSpLinePropBag& s = *Settings;
    const std::string& name = RowText(row);
    ui::Colour colour = s.File;
    if (Marked.IndexOfExact(name) >= 0) {
        colour = s.Mark;
    } else if (RowObject(row) == kFolderRow) {
        colour = s.Dir;
    } else if (const auto typed = s.TypeColour(Extension(name))) {
        colour = *typed;
    }
    if (selected) colour = s.CursorFont;
    return PaintRow(row, box, selected, colour);
}

void TFileLine::EmptySearchCue() {
    const std::string name = LastComponent(Prefix);
    Kit().Speak(name.empty() ? Prefix : name);
    FirstFile = FolderCount;
}

void TFileLine::Describe(std::string& text) {
    const std::string name = text;
    if (Marked.IndexOfExact(name) >= 0) Kit().Signal(kCueBoundary);
    const std::string description = DescriptionOf(name);
    if (!description.empty()) text += Texts().DescriptionWord + description;
}

}  // namespace velmora::talkui

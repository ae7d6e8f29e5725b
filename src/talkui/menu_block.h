// Menu blocks and their entries: the content of a talking menu. Static blocks
// (tables of a program) and blocks built at run time look alike. A block built
// at run time is shared: its parent entry owns it, and a menu that stands in it
// or runs one of its hooks holds it, so it lives as long as anything reaches it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::talkui {

class TMenuLine;
struct TMenuBlock;
struct TMenuEntry;

enum TEntryType : int8_t {
    etSubmenu = 0,  // enters Link
    etCommand = 1,  // hands Code to the command handler
    etAction = 2,   // only OnChoose
    etSwitch = 3,   // toggles IntValue between 0 and 1
    etValue = 4,    // edits TextValue in the editor of its kind
    etChoice = 7,   // picks IntValue from the choices
};

enum EntryFlags : int32_t {
    efCaptionHook = 4,
};

// Command codes: bits 0-13 the command, bit 14 "meant for the active line".
constexpr int32_t kCommandMask = 0x3FFF;
constexpr int32_t kLineCommand = 0x4000;

// What the menu's handler is called for: Back at the handler's own block, or Escape.
struct HandlerArg {
    enum Kind { Back, Escape };
    Kind kind = Back;
};

// What a hook or a handler asks of the menu once it has run.
enum class MenuResult : int8_t {
    GoOn,    // the menu goes on as it would
    Accept,  // the menu accepts and closes
    Stop,    // the menu does nothing more with the key
};

// Accept, or Stop; anything else goes on.
using ChooseHook = std::function<MenuResult(TMenuLine& menu, TMenuEntry& entry)>;
// Stop, or else the menu goes on.
using MenuHandler = std::function<MenuResult(TMenuLine& menu, const HandlerArg& arg)>;
using CaptionHookFn = std::function<void(TMenuLine& menu, TMenuEntry& entry, std::string& caption)>;
// After an entry's value changed: a switch toggled, a choice or a value stored.
using ChangedHook = std::function<void(TMenuLine& menu, TMenuEntry& entry)>;

struct TMenuEntry {
    // The caller's text, not a copy; null ends the block.
    const std::string* Caption = nullptr;
    // etValue: the kind letter of its editor ('f' a file path);
    // etAction: the key text spoken after " клавиша ".
    std::string Aux;
    // etChoice: the number of fixed choices in Choices; 0: all of Choices.
    int32_t ChoiceCount = 0;
    TEntryType Type = etSubmenu;
    int32_t Code = 0;
    TMenuBlock* Link = nullptr;  // etSubmenu: the child
    std::shared_ptr<TMenuBlock> OwnedLink;  // a built child that this entry keeps alive
    std::optional<std::string> Description;
    std::optional<std::string> Prompt;
    CaptionHookFn CaptionHook;  // with efCaptionHook
    int32_t* IntValue = nullptr;
    std::string* TextValue = nullptr;
    const std::vector<std::string>* Choices = nullptr;
    int32_t Flags = 0;
    ChooseHook OnChoose;  // first, when the entry is chosen
    // Puts a changed value to use at once (a setting heard as it changes),
    // before the menu says the entry again.
    ChangedHook OnChanged;

    // How many choices there are: ChoiceCount bounded by the list, or the list.
    int ChoiceTotal() const;
    const std::string* ChoiceAt(int index) const;
    // Makes a built block the child, owned by this entry from now on.
    void Attach(std::shared_ptr<TMenuBlock> child);
};

struct TMenuBlock : std::enable_shared_from_this<TMenuBlock> {
    TMenuBlock* Parent = nullptr;  // set when entered; null at the top
    int32_t Count = 0;
    int32_t SavedIndex = 0;  // the entry a child was last entered from
    int32_t Number = 0;      // spoken when the block is entered
    std::optional<std::string> Title;
    std::vector<TMenuEntry> Entries;

    // The entries before the first without a caption.
    int EntryCount() const;

    // An entry whose caption the block keeps itself.
    TMenuEntry& AddEntry(std::string caption, TEntryType type, int32_t code = 0);
    // Held by a shared pointer when it was built at run time; null for a static table.
    std::shared_ptr<TMenuBlock> Shared() { return weak_from_this().lock(); }

private:
    std::deque<std::string> ownTexts_;  // stable addresses
};

// A block built at run time that keeps its own captions: one entry of the
// given type and choice hook for each text.
std::shared_ptr<TMenuBlock> BuildOwnedBlock(std::vector<std::string> captions, TEntryType type,
                                            const ChooseHook& onChoose);

}  // namespace velmora::talkui

#include "talkui/menu_block.h"

#include <algorithm>

namespace velmora::talkui {

int TMenuEntry::ChoiceTotal() const {
    if (!Choices) return 0;
    const int size = static_cast<int>(Choices->size());
    return ChoiceCount > 0 ? std::min(ChoiceCount, size) : size;
}

const std::string* TMenuEntry::ChoiceAt(int index) const {
    if (index < 0 || index >= ChoiceTotal()) return nullptr;
    return &(*Choices)[static_cast<size_t>(index)];
}

void TMenuEntry::Attach(std::shared_ptr<TMenuBlock> child) {
    Link = child.get();
    OwnedLink = std::move(child);
}

int TMenuBlock::EntryCount() const {
    int n = 0;
    while (n < static_cast<int>(Entries.size()) && Entries[static_cast<size_t>(n)].Caption) ++n;
    return n;
}

TMenuEntry& TMenuBlock::AddEntry(std::string caption, TEntryType type, int32_t code) {
    ownTexts_.push_back(std::move(caption));
    TMenuEntry& entry = Entries.emplace_back();
    entry.Caption = &ownTexts_.back();
    entry.Type = type;
    entry.Code = code;
    return entry;
}

std::shared_ptr<TMenuBlock> BuildOwnedBlock(std::vector<std::string> captions, TEntryType type,
                                            const ChooseHook& onChoose) {
    auto block = std::make_shared<TMenuBlock>();
    block->Entries.reserve(captions.size());
    for (std::string& caption : captions) block->AddEntry(std::move(caption), type).OnChoose = onChoose;
    return block;
}

}  // namespace velmora::talkui

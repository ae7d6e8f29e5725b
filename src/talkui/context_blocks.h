// The context menus of the lines: the edit line's three commands and the file
// navigator's, as static blocks. Every command is meant for the line the menu
// was opened from.
#pragma once

#include "talkui/menu_block.h"

namespace velmora::talkui {

class ContextBlocks {
public:
    ContextBlocks();
    ContextBlocks(const ContextBlocks&) = delete;
    ContextBlocks& operator=(const ContextBlocks&) = delete;

    TMenuBlock& LineBlock() { return line_; }
    TMenuBlock& FileBlock() { return file_; }

private:
    TMenuBlock line_;
    TMenuBlock file_;
};

}  // namespace velmora::talkui

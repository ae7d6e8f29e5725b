#include "shell/quick_select.h"

#include "talkui/menu_block.h"
#include "ui/list_box.h"

namespace velmora::shell {

void QuickSelect::Down(int n, talkui::TMenuLine* menu) {
    kit_.KeyLock = true;
    if (n == pending_ || !menu) return;  // the key repeats while held
    const int entries = menu->CurrentBlock ? menu->CurrentBlock->EntryCount() : kit_.List->Count();
    if (entries < n) {
        sayOnlyCount_(entries);
        return;
    }
    pending_ = n;
    if (!menu->Search.empty()) {
        menu->Search.clear();
        menu->Filter(n - 1, 0);
        menu->SelectCurrent(true);
    } else if (kit_.List->Count() > n - 1) {
        menu->Current = n - 1;
        menu->SelectCurrent(true);
    }
}

void QuickSelect::Up(int n, talkui::TMenuLine* menu) {
    if (n == pending_ && menu) menu->Enter(0);
    kit_.KeyLock = false;
    pending_ = 0;
}

}  // namespace velmora::shell

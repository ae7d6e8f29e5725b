#include "frontend/sdl/text_layout.h"

#include <algorithm>

namespace velmora::frontend::sdl {

namespace {

void WrapParagraph(std::string_view text, int start, int end, int width,
                   const std::function<int(std::string_view)>& widthOf,
                   std::vector<TextLine>& out) {
    auto fits = [&](int from, int to) {
        return widthOf(text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from))) <= width;
    };
    int lineStart = start;
    while (true) {
        if (fits(lineStart, end)) {
            out.push_back({lineStart, end - lineStart});
            return;
        }
        // The longest run of whole words that fits.
        int breakAt = -1;
        for (int i = lineStart + 1; i < end; ++i) {
            if (text[static_cast<size_t>(i)] == ' ' && text[static_cast<size_t>(i - 1)] != ' ') {
                if (!fits(lineStart, i)) break;
                breakAt = i;
            }
        }
        int next = 0;
        if (breakAt > lineStart) {
            next = breakAt;
            while (next < end && text[static_cast<size_t>(next)] == ' ') ++next;
        } else {
            // One word too wide: as many characters as fit, at least one.
            breakAt = lineStart + 1;
            while (breakAt < end && fits(lineStart, breakAt + 1)) ++breakAt;
            next = breakAt;
        }
        out.push_back({lineStart, breakAt - lineStart});
        if (next >= end) return;
        lineStart = next;
    }
}

}  // namespace

std::vector<TextLine> WrapText(std::string_view text, int width, bool wrap,
                               const std::function<int(std::string_view)>& widthOf) {
    std::vector<TextLine> lines;
    const int n = static_cast<int>(text.size());
    int start = 0;
    while (true) {
        int end = start;
        while (end < n && text[static_cast<size_t>(end)] != '\r' && text[static_cast<size_t>(end)] != '\n') ++end;
        if (wrap && width > 0 && end > start) {
            WrapParagraph(text, start, end, width, widthOf, lines);
        } else {
            lines.push_back({start, end - start});
        }
        if (end >= n) break;
        start = end + 1;
        if (text[static_cast<size_t>(end)] == '\r' && start < n && text[static_cast<size_t>(start)] == '\n') ++start;
        if (start >= n) {
            lines.push_back({start, 0});  // the empty line after a final break
            break;
        }
    }
    return lines;
}

int LineOfPosition(const std::vector<TextLine>& lines, int position) {
    int found = 0;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (lines[static_cast<size_t>(i)].start <= position) found = i;
    }
    return found;
}

int FirstShownLine(int caretLine, int lineCount, int visibleLines) {
    visibleLines = std::max(visibleLines, 1);
    if (caretLine < visibleLines) return 0;
    return std::clamp(caretLine - visibleLines + 1, 0, std::max(lineCount - 1, 0));
}

}  // namespace velmora::frontend::sdl

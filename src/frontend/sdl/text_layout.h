// Breaking a multi-line text (code page 1251) into the lines a box shows.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace velmora::frontend::sdl {

// One shown line: a stretch of the text, in characters (bytes of 1251).
struct TextLine {
    int start = 0;
    int length = 0;
};

// Lines end at CR LF, LF or a lone CR. With wrapping, a line that is wider
// than width breaks after the last space that lets it fit (the spaces at the
// break are not shown); a word wider than the box is cut between characters.
std::vector<TextLine> WrapText(std::string_view text, int width, bool wrap,
                               const std::function<int(std::string_view)>& widthOf);

// The shown line that holds a caret position (0 for an empty layout).
int LineOfPosition(const std::vector<TextLine>& lines, int position);

// The first line to show so that the caret's line is in a box of visible
// lines: the top when it fits, else the caret's line at the bottom.
int FirstShownLine(int caretLine, int lineCount, int visibleLines);

}  // namespace velmora::frontend::sdl

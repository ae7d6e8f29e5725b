// SPDX-License-Identifier: GPL-3.0-or-later
// The window's component tree as the page draws it: one JSON object per
// visible control, children nested inside their parent (positions relative
// to it), texts in UTF-8, colours as CSS "#rrggbb".
#pragma once

#include <string>
#include <string_view>

#include "base/utf8.h"
#include "shell/mirror.h"
#include "ui/form.h"

namespace velmora::web {

// A JSON string literal of UTF-8 text, quotes included.
std::string JsonString(const base::Utf8& text);

// Owner-drawn lists are asked for their rows, which clears their repaint requests.
std::string FormSnapshot(ui::Form& form);

// What the player can act on, as the page's menu shows it:
// {"kind":"menu"|"wait"|"reading"|"edit"|"none","title":..,"entries":[..],"active":n}
std::string MirrorSnapshot(const shell::MenuMirror& mirror);

}  // namespace velmora::web

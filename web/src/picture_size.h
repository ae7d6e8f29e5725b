// SPDX-License-Identifier: GPL-3.0-or-later
// A picture's width and height from its header (GIF, PNG, BMP, JPEG), for
// the page's layout: the browser decodes pictures only later, on its own turn.
#pragma once

#include <optional>
#include <string_view>

#include "shell/events.h"

namespace velmora::web {

std::optional<shell::WindowSize> PictureSize(std::string_view bytes);

}  // namespace velmora::web

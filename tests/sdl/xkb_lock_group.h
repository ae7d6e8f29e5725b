// Switches a test X server's keyboard group as the user's layout switch does
// (kept apart: X11's macros clash with gtest).
#pragma once

namespace velmora::frontend {

// False when the display cannot be opened or the group does not take effect.
bool LockXkbGroup(const char* display, int group);

}  // namespace velmora::frontend

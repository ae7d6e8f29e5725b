#include "xkb_lock_group.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <memory>

namespace velmora::frontend {

bool LockXkbGroup(const char* display, int group) {
    std::unique_ptr<Display, int (*)(Display*)> d(XOpenDisplay(display), XCloseDisplay);
    if (!d) return false;
    if (!XkbLockGroup(d.get(), XkbUseCoreKbd, static_cast<unsigned>(group))) return false;
    XSync(d.get(), False);
    XkbStateRec state{};
    return XkbGetState(d.get(), XkbUseCoreKbd, &state) == Success && state.group == group;
}

}  // namespace velmora::frontend

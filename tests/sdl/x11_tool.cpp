// What a desktop does to the window, for the tests under Xvfb:
//   velmora_x11_tool close NAME   WM_DELETE_WINDOW to every top-level window
//                                 whose WM_CLASS contains NAME, as a window
//                                 manager's close does (exit 1: none found)
//   velmora_x11_tool group N      lock keyboard group N, as a layout switch does
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "xkb_lock_group.h"

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};

bool ClassContains(Display* display, Window w, const char* name) {
    XClassHint hint{};
    if (XGetClassHint(display, w, &hint) == 0) return false;
    const bool found = (hint.res_name && std::strstr(hint.res_name, name)) ||
                       (hint.res_class && std::strstr(hint.res_class, name));
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc == 3 ? argv[1] : "";
    if (verb != "close" && verb != "group") {
        std::fprintf(stderr, "usage: velmora_x11_tool close NAME | group N\n");
        return 2;
    }
    if (verb == "group") {
        return velmora::frontend::LockXkbGroup(nullptr, std::atoi(argv[2])) ? 0 : 1;
    }
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    Display* d = display.get();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count) == 0) return 2;
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    int sent = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (!ClassContains(d, children[i], argv[2])) continue;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = children[i];
        e.xclient.message_type = protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(deleteWindow);
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, children[i], False, NoEventMask, &e);
        ++sent;
    }
    if (children) XFree(children);
    XFlush(d);
    return sent > 0 ? 0 : 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Real X key events: the key sender's Python source and the keysyms of
// win.keys's key names.

// keymap: a Russian letter is the key at its place in the ru group (KeyA
// gives «ф»), pressed with that group locked, as a layout switch does.
// One command a line, one answer a line ("ok" or "error ...").
export const kKeySender = String.raw`
import ctypes, sys, time
from ctypes import c_void_p, c_char_p, c_ulong, c_uint, c_int, c_ubyte, c_uint32
x = ctypes.CDLL('libX11.so.6')
xt = ctypes.CDLL('libXtst.so.6')
xkb = ctypes.CDLL('libxkbcommon.so.0')
x.XOpenDisplay.restype = c_void_p
x.XOpenDisplay.argtypes = [c_char_p]
x.XStringToKeysym.restype = c_ulong
x.XStringToKeysym.argtypes = [c_char_p]
x.XKeysymToKeycode.restype = c_ubyte
x.XKeysymToKeycode.argtypes = [c_void_p, c_ulong]
x.XkbKeycodeToKeysym.restype = c_ulong
x.XkbKeycodeToKeysym.argtypes = [c_void_p, c_ubyte, c_int, c_int]
x.XkbLockGroup.argtypes = [c_void_p, c_uint, c_uint]
x.XSync.argtypes = [c_void_p, c_int]
xt.XTestFakeKeyEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
xkb.xkb_keysym_to_utf32.restype = c_uint32
xkb.xkb_keysym_to_utf32.argtypes = [c_uint32]
dpy = x.XOpenDisplay(None)
if not dpy:
    print('error cannot open the display', flush=True)
    sys.exit(1)
HOLD = 0.06  # a finger's press
shift = x.XKeysymToKeycode(dpy, x.XStringToKeysym(b'Shift_L'))

def tap(code, shifted=False):
    if shifted:
        xt.XTestFakeKeyEvent(dpy, shift, 1, 0)
    xt.XTestFakeKeyEvent(dpy, code, 1, 0)
    x.XSync(dpy, 0)
    time.sleep(HOLD)
    xt.XTestFakeKeyEvent(dpy, code, 0, 0)
    if shifted:
        xt.XTestFakeKeyEvent(dpy, shift, 0, 0)
    x.XSync(dpy, 0)

def place(ch, group):
    for code in range(8, 256):
        for level in (0, 1):
            sym = x.XkbKeycodeToKeysym(dpy, code, group, level)
            if sym and xkb.xkb_keysym_to_utf32(sym) == ord(ch):
                return code, level == 1
    return None

for line in sys.stdin:
    verb, _, arg = line.rstrip('\n').partition(' ')
    try:
        if verb == 'key':
            code = x.XKeysymToKeycode(dpy, x.XStringToKeysym(arg.encode()))
            if not code:
                raise ValueError('no key for ' + arg)
            tap(code)
        elif verb == 'group':
            x.XkbLockGroup(dpy, 0x100, int(arg))
            x.XSync(dpy, 0)
        elif verb == 'char':
            found = place(arg, 1) or place(arg, 0)
            if not found:
                raise ValueError('no key for ' + arg)
            tap(*found)
        else:
            raise ValueError('unknown command ' + verb)
        print('ok', flush=True)
    except Exception as e:
        print('error', e, flush=True)
`;

// win.keys's key names as X keysyms.
export const kKeysyms = {
  Enter: 'Return', Space: 'space', Backspace: 'BackSpace', PageUp: 'Prior', PageDown: 'Next',
};

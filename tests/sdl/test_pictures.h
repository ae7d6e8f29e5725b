// Pictures the window tests draw, made byte by byte.
#pragma once

#include <string>

namespace velmora::frontend::sdl {

// A 1×1 GIF of two frames that loops: red for 100 ms, then blue for 200 ms.
inline constexpr char kTwoFrameGifBytes[] =
    "GIF89a\x01\x00\x01\x00\x80\x00\x00"
    "\xff\x00\x00\x00\x00\xff"
    "\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    "\x21\xf9\x04\x00\x0a\x00\x00\x00"
    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00"
    "\x21\xf9\x04\x00\x14\x00\x00\x00"
    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x4c\x01\x00"
    "\x3b";
inline const std::string kTwoFrameGif(kTwoFrameGifBytes, sizeof kTwoFrameGifBytes - 1);

}  // namespace velmora::frontend::sdl

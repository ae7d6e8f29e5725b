// The numbers of the sound cues: the shell, the talking lines and the speech
// router give them, the outputs and the sound system play them by number.
#pragma once

namespace velmora::base {

inline constexpr int kCueLayoutEnglish = 0;  // the keyboard switched to English
inline constexpr int kCueLayoutRussian = 1;  // ... to Russian
inline constexpr int kCueLayoutOther = 2;    // ... to any other layout
inline constexpr int kCueLineClosed = 3;
inline constexpr int kCueBoundary = 13;  // a boundary or a refusal; also an acknowledgement
inline constexpr int kCueOneMatch = 14;  // a search matched one row
inline constexpr int kCueNoMatch = 31;   // a search matched nothing
inline constexpr int kCueCapsOn = 35;
inline constexpr int kCueCapsOff = 36;
inline constexpr int kCueCapital = 37;  // a capital letter typed or passed over

}  // namespace velmora::base

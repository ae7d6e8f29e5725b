// UTF-8 text where it leaves or enters the game: file names, messages, the
// terminal, the window's fonts, the voices' names, the page. The game's own
// text is code page 1251 in a plain std::string; this type keeps the two
// apart where they meet, so handing one where the other is wanted does not
// compile, and the conversions below are the only ways across.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace velmora::base {

class Utf8 {
public:
    Utf8() = default;
    explicit Utf8(std::string text) : text_(std::move(text)) {}
    explicit Utf8(std::string_view text) : text_(text) {}
    explicit Utf8(const char* text) : text_(text) {}

    const std::string& str() const& { return text_; }
    std::string str() && { return std::move(text_); }
    std::string_view view() const { return text_; }
    const char* c_str() const { return text_.c_str(); }
    bool empty() const { return text_.empty(); }

    bool operator==(const Utf8&) const = default;

private:
    std::string text_;
};

// The game's 1251 text for the outside; a byte 1251 leaves undefined (0x98)
// comes out as U+FFFD.
Utf8 ToUtf8(std::string_view cp1251);
// Outside text for the game; what 1251 cannot hold, and broken UTF-8, come
// out as '?'.
std::string ToCp1251(const Utf8& text);

}  // namespace velmora::base

// The keyboard layout's name for the game's layout cue, in the Windows form
// of eight hexadecimal digits ("00000409" English, "00000419" Russian).
//
//   KeyboardLayoutName layout(X11XkbSource::Open());  // null without X11: letters decide
//   on SDL_TEXTINPUT: layout.Typed(TypedText1251(text));
//   on each tick:     frontEnd answers layout.Current();
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::frontend {

inline constexpr const char* kLayoutEnglish = "00000409";
inline constexpr const char* kLayoutRussian = "00000419";
inline constexpr const char* kLayoutOther = "00000000";

// Where the current keyboard group and the groups' names come from.
class XkbSource {
  public:
    virtual ~XkbSource() = default;
    // The active group from 0; negative when it cannot be read.
    virtual int CurrentGroup() = 0;
    // The group's name as XKB gives it ("English (US)", "Russian"); empty when unknown.
    virtual std::string GroupName(int group) = 0;
};

// The XKB state of an X server through a connection of our own.
class X11XkbSource : public XkbSource {
  public:
    // Null when there is no X display to open (no DISPLAY, Wayland only) or it lacks XKB.
    static std::unique_ptr<X11XkbSource> Open(const char* displayName = nullptr);
    ~X11XkbSource() override;
    X11XkbSource(const X11XkbSource&) = delete;
    X11XkbSource& operator=(const X11XkbSource&) = delete;

    int CurrentGroup() override;
    std::string GroupName(int group) override;

  private:
    struct Connection;
    explicit X11XkbSource(std::unique_ptr<Connection> c);
    std::unique_ptr<Connection> connection_;
};

// An XKB group name as a Windows layout name; unknown names give kLayoutOther.
std::string LayoutForGroupName(std::string_view name);

// The layout of the last letter typed: Cyrillic Russian, Latin English.
class LastLetterLayout {
  public:
    void Typed(std::string_view text1251);
    // No value before any letter.
    std::optional<std::string> Name() const;

  private:
    std::optional<bool> cyrillic_;
};

// The name asked for on every tick: from XKB while it answers, else from the
// letters typed, and Russian before anything is known (the games are Russian).
class KeyboardLayoutName {
  public:
    explicit KeyboardLayoutName(std::unique_ptr<XkbSource> source);
    void Typed(std::string_view text1251) { letters_.Typed(text1251); }
    std::string Current();

  private:
    std::unique_ptr<XkbSource> source_;
    LastLetterLayout letters_;
};

}  // namespace velmora::frontend

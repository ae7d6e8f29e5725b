#include "frontend/sdl/xkb_layout.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <array>
#include <cstdlib>
#include <utility>

#include "base/cp1251.h"

namespace velmora::frontend {

struct X11XkbSource::Connection {
    Display* display = nullptr;
    ~Connection() {
        if (display != nullptr) XCloseDisplay(display);
    }
};

std::unique_ptr<X11XkbSource> X11XkbSource::Open(const char* displayName) {
    if (displayName == nullptr) {
        const char* env = std::getenv("DISPLAY");
        if (env == nullptr || *env == '\0') return nullptr;
    }
    auto c = std::make_unique<Connection>();
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    int reason = 0;
    c->display = XkbOpenDisplay(displayName, nullptr, nullptr, &major, &minor, &reason);
    if (c->display == nullptr) return nullptr;
    return std::unique_ptr<X11XkbSource>(new X11XkbSource(std::move(c)));
}

X11XkbSource::X11XkbSource(std::unique_ptr<Connection> c) : connection_(std::move(c)) {}
X11XkbSource::~X11XkbSource() = default;

int X11XkbSource::CurrentGroup() {
    XkbStateRec state{};
    if (XkbGetState(connection_->display, XkbUseCoreKbd, &state) != Success) return -1;
    return state.group;
}

std::string X11XkbSource::GroupName(int group) {
    if (group < 0 || group >= XkbNumKbdGroups) return {};
    Display* d = connection_->display;
    // Read afresh each time: the groups change when the user reconfigures them.
    std::unique_ptr<XkbDescRec, void (*)(XkbDescPtr)> desc(
        XkbAllocKeyboard(), [](XkbDescPtr k) { XkbFreeKeyboard(k, 0, True); });
    if (!desc) return {};
    if (XkbGetNames(d, XkbGroupNamesMask, desc.get()) != Success || desc->names == nullptr) {
        return {};
    }
    const Atom atom = desc->names->groups[group];
    if (atom == None) return {};
    std::unique_ptr<char, int (*)(void*)> name(XGetAtomName(d, atom), XFree);
    return name ? std::string(name.get()) : std::string();
}

namespace {

// XKB's descriptive names, or its short layout names, and the Windows layout of each.
struct KnownLayout {
    const char* name;
    const char* shortName;
    const char* windows;
};
constexpr std::array<KnownLayout, 9> kKnown = {{
    {"russian", "ru", kLayoutRussian},
    {"english", "us", kLayoutEnglish},
    {"english", "gb", kLayoutEnglish},
    {"ukrainian", "ua", "00000422"},
    {"belarusian", "by", "00000423"},
    {"kazakh", "kz", "0000043F"},
    {"german", "de", "00000407"},
    {"french", "fr", "0000040C"},
    {"spanish", "es", "0000040A"},
}};

bool IsCyrillic1251(unsigned char b) {
    if (b >= 0xC0 || b == 0xA8 || b == 0xB8) return true;  // А–я, Ё, ё
    // The other Cyrillic letters of the code page (Ukrainian, Belarusian, Serbian, …).
    constexpr std::array<unsigned char, 26> kOther = {
        0x80, 0x81, 0x83, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x9A, 0x9C, 0x9D, 0x9E,
        0x9F, 0xA1, 0xA2, 0xA3, 0xA5, 0xAA, 0xAF, 0xB2, 0xB3, 0xB4, 0xBA, 0xBC, 0xBE};
    for (unsigned char o : kOther) {
        if (b == o) return true;
    }
    return b == 0xBF;
}

}  // namespace

std::string LayoutForGroupName(std::string_view name) {
    const std::string lower = base::LowerAscii(name);
    for (const KnownLayout& k : kKnown) {
        // "English (US)", "Russian (phonetic)", or a bare "us"/"ru" from some servers.
        if (lower.rfind(k.name, 0) == 0 || lower == k.shortName) return k.windows;
    }
    return kLayoutOther;
}

void LastLetterLayout::Typed(std::string_view text1251) {
    for (char c : text1251) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            cyrillic_ = false;
        } else if (IsCyrillic1251(b)) {
            cyrillic_ = true;
        }
    }
}

std::optional<std::string> LastLetterLayout::Name() const {
    if (!cyrillic_) return std::nullopt;
    return *cyrillic_ ? kLayoutRussian : kLayoutEnglish;
}

KeyboardLayoutName::KeyboardLayoutName(std::unique_ptr<XkbSource> source)
    : source_(std::move(source)) {}

std::string KeyboardLayoutName::Current() {
    if (source_) {
        const int group = source_->CurrentGroup();
        if (group >= 0) {
            const std::string name = source_->GroupName(group);
            if (!name.empty()) return LayoutForGroupName(name);
        }
    }
    return letters_.Name().value_or(kLayoutRussian);
}

}  // namespace velmora::frontend

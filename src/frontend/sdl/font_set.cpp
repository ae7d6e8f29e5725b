#include "frontend/sdl/font_set.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include <fontconfig/fontconfig.h>

#include "base/utf8.h"

namespace velmora::frontend::sdl {

namespace {

struct FcDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
    void operator()(FcCharSet* p) const { FcCharSetDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, FcDeleter>;
using CharSetPtr = std::unique_ptr<FcCharSet, FcDeleter>;

constexpr FcChar32 kCyrillicProbe[] = {0x0416, 0x044F, 0x0451};  // Ж я ё

struct Face {
    std::vector<const char*> families;  // most wanted first
    int weight = FC_WEIGHT_REGULAR;
    bool italic = false;
};

// The Windows faces of the window and the free look-alikes Debian ships.
Face FaceFor(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "arial black") {
        return {{"Arial Black", "Liberation Sans", "Nimbus Sans", "DejaVu Sans"}, FC_WEIGHT_BLACK};
    }
    if (lower == "monotype corsiva") {
        return {{"Monotype Corsiva", "Z003", "URW Chancery L", "DejaVu Serif"}, FC_WEIGHT_MEDIUM, true};
    }
    if (lower == "ms sans serif") {
        return {{"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans"}};
    }
    return {{}};
}

bool CoversCyrillic(FcPattern* font) {
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) != FcResultMatch) return false;
    return std::all_of(std::begin(kCyrillicProbe), std::end(kCyrillicProbe),
                       [chars](FcChar32 c) { return FcCharSetHasChar(chars, c) != 0; });
}

std::string Match(const std::vector<std::string>& families, int weight, bool italic) {
    PatternPtr pattern(FcPatternCreate());
    CharSetPtr chars(FcCharSetCreate());
    if (!pattern || !chars) return {};
    for (const std::string& f : families) {
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(f.c_str()));
    }
    for (FcChar32 c : kCyrillicProbe) FcCharSetAddChar(chars.get(), c);
    // Coverage ranks above the family in fontconfig's matching.
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, chars.get());
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ru"));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, weight);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr font(FcFontMatch(nullptr, pattern.get(), &result));
    if (!font || !CoversCyrillic(font.get())) return {};
    FcChar8* file = nullptr;
    if (FcPatternGetString(font.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return {};
    return reinterpret_cast<const char*>(file);
}

}  // namespace

FontSet::FontSet() {
    FcInit();
    ttfStarted_ = TTF_Init() == 0;
}

FontSet::~FontSet() {
    fonts_.clear();  // before SDL_ttf stops
    if (ttfStarted_) TTF_Quit();
}

std::string FontSet::FileFor(const std::string& face, bool italic) {
    const auto key = std::make_pair(face, italic);
    if (auto it = files_.find(key); it != files_.end()) return it->second;
    Face wanted = FaceFor(face);
    std::vector<std::string> families;
    if (wanted.families.empty()) families.push_back(face);
    for (const char* f : wanted.families) families.emplace_back(f);
    families.emplace_back("sans-serif");
    std::string file = Match(families, wanted.weight, italic || wanted.italic);
    if (file.empty()) file = Match({"sans-serif"}, FC_WEIGHT_REGULAR, false);
    files_[key] = file;
    return file;
}

TTF_Font* FontSet::Get(const std::string& face, int points, bool italic) {
    if (!ttfStarted_) return nullptr;
    points = std::clamp(points, 1, 500);
    const auto key = std::make_tuple(face, points, italic);
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second.get();
    const std::string file = FileFor(face, italic);
    FontPtr font;
    if (!file.empty()) font.reset(TTF_OpenFontDPI(file.c_str(), points, 96, 96));
    TTF_Font* raw = font.get();
    fonts_[key] = std::move(font);  // a failure is remembered too
    return raw;
}

std::pair<int, int> FontSet::Size(TTF_Font* font, const base::Utf8& text) {
    if (!font) return {0, 0};
    if (text.empty()) return {0, TTF_FontHeight(font)};
    int w = 0, h = 0;
    if (TTF_SizeUTF8(font, text.c_str(), &w, &h) != 0) return {0, 0};
    return {w, h};
}

int FontSet::LineHeight(TTF_Font* font) {
    if (!font) return 0;
    int lowest = 0;
    for (const Uint32 letter : {0x0434u, 0x0414u, 0x0446u, 0x0426u, 0x0449u, 0x0429u, 0x0443u, 0x0440u}) {
        int minx = 0, maxx = 0, miny = 0, maxy = 0, advance = 0;
        if (TTF_GlyphMetrics32(font, letter, &minx, &maxx, &miny, &maxy, &advance) == 0) {
            lowest = std::min(lowest, miny);
        }
    }
    return std::max(TTF_FontHeight(font), TTF_FontAscent(font) - lowest);
}

// Rows and the edit line are sized by this: a letter's tail must fit them.
int SdlTextMeasure::TextHeight(const ui::FontInfo& font, std::string_view text) const {
    TTF_Font* f = fonts_.Get(font);
    if (!f) return ui::DefaultTextMeasure().TextHeight(font, text);
    return std::max(FontSet::Size(f, base::ToUtf8(text)).second, FontSet::LineHeight(f));
}

}  // namespace velmora::frontend::sdl

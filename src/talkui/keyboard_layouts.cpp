#include "talkui/keyboard_layouts.h"

#include <string>
#include <string_view>

#include "talkui/texts.h"

namespace velmora::talkui {
namespace {

constexpr std::string_view kLatinKeys = "abcdefghijklmnopqrstuvwxyz,.;:'`[]";

// The Russian letters on those keys, in the same order.
const std::string& RussianOnLatinKeys() {
    static const std::string letters = Cp("фисвуапршолдьтщзйкыегмцчнябюжжэёхъ");
    return letters;
}

// The Latin keys of а, б, в … я (bytes 0xE0 to 0xFF).
constexpr std::string_view kKeysOfRussian = "f,dult;pbqrkvyjghcnea[wxio]sm'.z";

}  // namespace

std::optional<char> OtherLayoutKey(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code >= 'A' && code <= 'Z') c = static_cast<char>(code + 32);
    const size_t latin = kLatinKeys.find(c);
    if (latin != std::string_view::npos) return RussianOnLatinKeys()[latin];
    if (code >= 0xC0) return kKeysOfRussian[(code | 0x20) - 0xE0];
    return std::nullopt;
}

}  // namespace velmora::talkui

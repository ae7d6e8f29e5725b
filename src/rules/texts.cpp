#include "rules/texts.h"

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/own_text.h"
#include "base/project_file.h"
#include "base/project_text.h"

namespace velmora::rules::texts {

VELMORA_OWN_TEXT(NotSet, "не задано")
VELMORA_OWN_TEXT(North, "Север")
VELMORA_OWN_TEXT(South, "Юг")
VELMORA_OWN_TEXT(West, "Запад")
VELMORA_OWN_TEXT(East, "Восток")
VELMORA_OWN_TEXT(ScreenPrefix, "Экран: ")
// With its ё, as the game's texts spell it, and the prompt the victory has:
// the game over waits for a key, and a wait in silence is a key unasked for.
VELMORA_OWN_TEXT(GameOverText,
             "Твоя игра окончена, хранитель! Теперь никто не помешает мне, великому и ужасному "
             "Чёрному Властелину, завладеть всем миром! Нажми любую клавишу.")
std::optional<std::string> ProjectText(const std::filesystem::path& projectFolder,
                                       std::string_view name) {
    // In UTF-8 or 1251, as the author's editor saved it.
    std::optional<std::string> read = base::ReadProjectText(projectFolder, name);
    if (!read) return std::nullopt;
    std::string text = std::move(*read);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t begin = 0, end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    if (begin == end) return std::nullopt;
    return text.substr(begin, end - begin);
}

// A wait for a key says that it waits: a silent one is a key unasked for.
VELMORA_OWN_TEXT(KeyPrompt, "Нажмите любую клавишу.")
namespace {
VELMORA_OWN_TEXT(KeyWord, "клавиш")
}  // namespace

bool AsksForKey(const std::string& text) {
    const std::string lower = base::LowerText1251(base::TrimBlanks(text));
    size_t end = lower.size();
    while (end > 0 && (lower[end - 1] == '.' || lower[end - 1] == '!' || lower[end - 1] == ' ')) --end;
    const size_t sentence = lower.find_last_of(".!?", end == 0 ? 0 : end - 1);
    const size_t from = sentence == std::string::npos ? 0 : sentence;
    return lower.find(KeyWord(), from) != std::string::npos;
}

VELMORA_OWN_TEXT(HealthPrefix, "Здоровье - ")
VELMORA_OWN_TEXT(LoadPrefix, ", нагрузка - ")
VELMORA_OWN_TEXT(LevelPrefix, ", опыт - ")
VELMORA_OWN_TEXT(NorthWord, "север")
VELMORA_OWN_TEXT(SouthWord, "юг")
VELMORA_OWN_TEXT(EastWord, "восток")
VELMORA_OWN_TEXT(WestWord, "запад")

}  // namespace velmora::rules::texts

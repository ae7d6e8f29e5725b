// A statement: its keyword and arguments as the runner's table reads them,
// and what it changes or shows (messages, scripts, pictures, states, deaths).
#include <optional>
#include <utility>

#include "base/cp1251.h"
#include "check/script_checker.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
#include "rules/texts.h"
#include "world/key_access.h"
#include "world/link.h"

namespace velmora::check {
namespace {

// The statement keywords, for "did you mean": the runner's own table.
const std::vector<std::string>& StatementKeywords() {
    static const std::vector<std::string> known = KeywordsOf(rules::StatementForms());
    return known;
}

}  // namespace

using rules::ArgKind;

void ScriptChecker::Statement(std::string_view raw, std::string_view line, size_t n) {
    const std::vector<std::string> words = rules::Rules::SplitWords(line);
    if (words.empty()) return;
    const std::string keyword = base::LowerText1251(words[0]);
    if (keyword == "if" || keyword == "else" || keyword == "endif") {
        BlockWordOutOfPlace(raw, line, words[0], keyword, n);
        return;
    }
    const rules::StatementForm* form = rules::FindStatement(keyword);
    if (form == nullptr) {
        Nothing(n, line,
                "неизвестная команда " + Quoted(words[0]) +
                    (rules::IsConditionKeyword(keyword) ? " (условие без if)" : "") +
                    ": игра пропустит строку" + DidYouMean(words[0], StatementKeywords()));
        return;
    }
    if (words.size() - 1 < form->required) {
        Nothing(n, line,
                "не хватает аргументов: " + keyword + " ждёт " + std::to_string(form->required) +
                    ", игра пропустит строку");
        return;
    }
    const bool restIsText = !form->args.empty() && (form->args.back() == ArgKind::Text ||
                                                    form->args.back() == ArgKind::Statement);
    if (!restIsText) ExtraWords(words, 1 + form->args.size(), n, line, keyword);
    std::vector<std::optional<int32_t>> numbers(form->args.size());
    for (size_t a = 0; a < form->args.size(); ++a) {
        const size_t w = a + 1;
        if (w >= words.size()) break;
        switch (form->args[a]) {
            case ArgKind::Object:
                if (!Object(words, w, n, line, Severity::Warning, ": строка ничего не делает"))
                    return;
                break;
            case ArgKind::Number:
                numbers[a] = world::TryParseInt32(words[w]);
                if (!numbers[a]) {
                    Nothing(n, line,
                            Quoted(words[w]) + " не число: игра возьмёт число по умолчанию" +
                                (keyword == "health" ? " 0, и строка ничего не изменит" : ""));
                    if (keyword == "health") return;
                }
                break;
            case ArgKind::Direction: {
                const std::string d = base::LowerText1251(words[w]);
                if (d != rules::texts::NorthWord() && d != rules::texts::SouthWord() &&
                    d != rules::texts::EastWord() && d != rules::texts::WestWord() && d != "n" &&
                    d != "s" && d != "e" && d != "w") {
                    Nothing(n, line,
                            Quoted(words[w]) +
                                " не направление (север, юг, восток, запад, n, s, e, w): "
                                "строка ничего не меняет");
                    return;
                }
                break;
            }
            case ArgKind::Screen:
                GoTarget(words[w], words, n, line);
                break;
            case ArgKind::Text:
            case ArgKind::Statement:
                break;
        }
    }
    if (keyword == "show") shown_.insert(base::LowerText1251(words[1]));
    if (keyword == "takeable") takeable_.insert(base::LowerText1251(words[1]));
    if (keyword == "take") taken_.insert(base::LowerText1251(words[1]));
    if (keyword == "open") {
        for (const Place& p : where_) journeys_.opened.insert(p.at->number);
    }
    const auto num = [&](size_t a, int32_t fallback) {
        return a < numbers.size() && numbers[a] ? *numbers[a] : fallback;
    };
    const std::string_view rest = line.size() > 3 ? base::TrimBlanks(line.substr(3)) : "";
    if (keyword == "say" && rest.empty()) {
        Nothing(n, line, "say без текста ничего не говорит");
    } else if (keyword == "snd" && !project_.HasSoundFile(line.substr(3))) {
        Warning(n, line,
                "нет звукового файла " + Quoted(rest) +
                    " ни в папке Snd проекта, ни в Media: игра пропустит звук",
                kind::kNoSound);
    } else if (keyword == "mes") {
        const int32_t v = num(0, 1);
        if (v < 1) {
            Nothing(n, line, "mes " + std::to_string(v) + " ничего не говорит");
        } else {
            ScreenItem(v, &world::MScreen::Messages, "сообщений", Severity::Warning, kind::kNothing,
                       ": игрок ничего не услышит", n, line);
        }
    } else if (keyword == "call" || keyword == "force") {
        const int32_t v = num(0, keyword == "call" ? 1 : 0);
        if (v < 1 && !(keyword == "force" && v == 0)) {
            Nothing(n, line, keyword + " " + std::to_string(v) + " ничего не выполнит");
        } else if (v >= 1 && keyword == "call") {
            ScreenItem(v, &world::MScreen::Scripts, "скриптов", Severity::Warning, kind::kNothing,
                       ": строка ничего не выполнит", n, line);
        } else if (v >= 1) {
            ScreenItem(v, &world::MScreen::Scripts, "скриптов", Severity::Error, kind::kNothing,
                       ": следующее действие игрока пропадёт впустую", n, line);
        }
    } else if (keyword == "frame") {
        Frame(num(0, -1), n, line);
    } else if (keyword == "state") {
        State(num(0, -1), n, line);
    } else if (keyword == "setostat" && num(1, -1) < 0) {
        Nothing(n, line, "отрицательное состояние: строка ничего не меняет");
    } else if (keyword == "inter") {
        const int32_t v = num(0, 0);
        const world::MGame* game = project_.Game();
        const size_t pages = game != nullptr ? game->Intros.lines.size() : 0;
        if (v < 1 || static_cast<size_t>(v) > pages) {
            Nothing(n, line,
                    "страниц Intros " + std::to_string(pages) + ", номера " + std::to_string(v) +
                        " нет: строка ничего не делает");
        }
    } else if (keyword == "die") {
        Die(num(0, 0), num(1, -1), n, line);
    } else if (keyword == "map") {
        Map(num(0, 0), n, line);
    } else if (keyword == "ifnt") {
        const int32_t v = num(0, 0);
        if (v == 0) {
            Nothing(n, line, "ifnt 0 ничего не ждёт: строка только отменяет ожидание");
        } else if (world::CommandByNumber(M(), v) == nullptr) {
            Warning(n, line,
                    "команды номер " + std::to_string(v) +
                        " на этой карте нет: любое следующее действие игрока заменит "
                        "строка после номера");
        }
        const size_t at = line.find(words[2]);
        if (at != std::string_view::npos && ifntDepth_ < 8) {
            ++ifntDepth_;
            // The waited line runs later, wherever the hero then is.
            const Where now = std::exchange(where_, AnyScreen());
            Statement(line.substr(at), line.substr(at), n);
            where_ = now;
            --ifntDepth_;
        }
    }
}

void ScriptChecker::BlockWordOutOfPlace(std::string_view raw, std::string_view line,
                                        const std::string& word, const std::string& keyword,
                                        size_t n) {
    const bool exact = line.starts_with(keyword);
    if (!exact) {
        Nothing(n, line,
                Quoted(word) + " с большой буквы: игра узнаёт только " + keyword +
                    (keyword == "if" ? ", блок не открывается, его строки выполнятся всегда"
                                     : ", строка ничего не делает"));
    } else if (keyword == "if") {
        Nothing(n, line,
                rules::OpensBlock(line) ? "блок if в ветке из одной строки: игра выполняет "
                                          "его как команду, и он ничего не делает"
                                        : "if без условия: строка ничего не делает");
    } else if (Indented(raw)) {
        Nothing(n, line,
                keyword + " с отступом: внутри блока игра узнаёт " + keyword +
                    " только с первой колонки, здесь строка ничего не делает");
    } else {
        Nothing(n, line, keyword + " без своего if: строка ничего не делает");
    }
}

void ScriptChecker::Frame(int32_t frame, size_t n, std::string_view line) {
    if (frame < 0) {
        Nothing(n, line, "отрицательный кадр: строка ничего не меняет");
        return;
    }
    ForEachKnownScreen([&](const Tables& at, size_t i) {
        journeys_.frames[at.number][i].insert(frame);
        const int32_t no = at.map->screens[i]->no;
        const std::string name = rules::ScreenPictureName(no, frame);
        if (project_.HasFile(name)) return;
        // An arrival names the frame by the screen's place, `frame` by its number.
        const std::string byPlace = rules::ScreenPictureName(static_cast<int64_t>(i), frame);
        const std::string hint = no != static_cast<int64_t>(i) && project_.HasFile(byPlace)
                                     ? " (есть " + ShownPath(byPlace) +
                                           ", но так кадр зовётся по месту экрана в "
                                           "списке, " +
                                           std::to_string(i) +
                                           ", а frame ищет его по номеру экрана, " +
                                           std::to_string(no) + ")"
                                     : std::string();
        Warning(n, line, "нет картинки " + ShownPath(name) + hint + ": картинка не сменится",
                kind::kNoPicture);
    });
}

// On a screen that describes itself by its state, a state past its
// descriptions is heard as «Экран: Двор 0».
void ScriptChecker::State(int32_t state, size_t n, std::string_view line) {
    if (state < 0) {
        Nothing(n, line, "отрицательное состояние: строка ничего не меняет");
        return;
    }
    ForEachKnownScreen([&](const Tables& at, size_t i) {
        const world::MScreen& s = *at.map->screens[i];
        if (s.DescrOnState == 0 || static_cast<size_t>(state) < s.Descr.lines.size()) return;
        Warning(n, line,
                "экран " + Quoted(s.Title) +
                    " описывается по состоянию, а описаний у "
                    "него " +
                    std::to_string(s.Descr.lines.size()) +
                    ": игрок услышит «Экран: " + Shown(s.Title) + " 0»",
                kind::kDeadEnd);
    });
}

void ScriptChecker::Die(int32_t line1, int32_t picture, size_t n, std::string_view line) {
    const world::MGame* game = project_.Game();
    const size_t deaths = game != nullptr ? game->Death.lines.size() : 0;
    if (line1 == 0) {
        Warning(n, line, "die 0: смерть пройдёт без слов, игрок не узнает, что случилось",
                kind::kDeadEnd);
    } else if (line1 < 0 || static_cast<size_t>(line1) > deaths) {
        Warning(n, line,
                "строк Death " + std::to_string(deaths) + ", номера " + std::to_string(line1) +
                    " нет: смерть пройдёт без слов",
                kind::kDeadEnd);
    }
    if (picture >= 0 && !project_.HasFile(rules::DeathPictureName(picture))) {
        Warning(n, line, "нет картинки " + ShownPath(rules::DeathPictureName(picture)),
                kind::kNoPicture);
    }
}

}  // namespace velmora::check

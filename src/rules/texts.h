// The rules' own texts, in the game's code page.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::rules::texts {

const std::string& NotSet();         // "не задано"
const std::string& North();          // "Север"
const std::string& South();          // "Юг"
const std::string& West();           // "Запад"
const std::string& East();           // "Восток"
const std::string& ScreenPrefix();   // "Экран: "
const std::string& GameOverText();
// A text a project gives of its own in place of one of the program's (its
// death line, «Об игре», its instructions): the file `name` of the project
// folder, read through the file gate, without the blank lines and blanks at
// its ends. None when the file is missing or holds nothing; throws
// base::FileError when the gate refuses it.
std::optional<std::string> ProjectText(const std::filesystem::path& projectFolder,
                                       std::string_view name);
const std::string& KeyPrompt();      // "Нажмите любую клавишу."
// Whether a text's last sentence already asks for a key («…Нажми любую клавишу.»).
bool AsksForKey(const std::string& text);
const std::string& HealthPrefix();   // "Здоровье - "
const std::string& LoadPrefix();     // ", нагрузка - "
const std::string& LevelPrefix();    // ", опыт - "
// Direction words of `open` and `close`, lower case.
const std::string& NorthWord();
const std::string& SouthWord();
const std::string& EastWord();
const std::string& WestWord();

}  // namespace velmora::rules::texts

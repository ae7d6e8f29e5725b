// The rules' own texts, in the game's code page.
#pragma once

#include <string>

namespace velmora::rules::texts {

const std::string& NotSet();         // "не задано"
const std::string& North();          // "Север"
const std::string& South();          // "Юг"
const std::string& West();           // "Запад"
const std::string& East();           // "Восток"
const std::string& ScreenPrefix();   // "Экран: "
const std::string& GameOverText();
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

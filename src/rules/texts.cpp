#include "rules/texts.h"

#include "base/encoding.h"
#include "base/own_text.h"

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
VELMORA_OWN_TEXT(HealthPrefix, "Здоровье - ")
VELMORA_OWN_TEXT(LoadPrefix, ", нагрузка - ")
VELMORA_OWN_TEXT(LevelPrefix, ", опыт - ")
VELMORA_OWN_TEXT(NorthWord, "север")
VELMORA_OWN_TEXT(SouthWord, "юг")
VELMORA_OWN_TEXT(EastWord, "восток")
VELMORA_OWN_TEXT(WestWord, "запад")

}  // namespace velmora::rules::texts

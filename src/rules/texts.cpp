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
VELMORA_OWN_TEXT(GameOverText,
             "Твоя игра окончена, хранитель! Теперь никто не помешает мне, великому и ужасному "
             "Черному Властелину, завладеть всем миром!")
VELMORA_OWN_TEXT(HealthPrefix, "Здоровье - ")
VELMORA_OWN_TEXT(LoadPrefix, ", нагрузка - ")
VELMORA_OWN_TEXT(LevelPrefix, ", опыт - ")
VELMORA_OWN_TEXT(NorthWord, "север")
VELMORA_OWN_TEXT(SouthWord, "юг")
VELMORA_OWN_TEXT(EastWord, "восток")
VELMORA_OWN_TEXT(WestWord, "запад")

}  // namespace velmora::rules::texts

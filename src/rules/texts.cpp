#include "rules/texts.h"

#include "base/encoding.h"

namespace velmora::rules::texts {

#define VELMORA_TEXT(Name, Utf8)                                   \
    const std::string& Name() {                                    \
        static const std::string text = base::Utf8ToCp1251(Utf8);  \
        return text;                                               \
    }

VELMORA_TEXT(NotSet, "не задано")
VELMORA_TEXT(North, "Север")
VELMORA_TEXT(South, "Юг")
VELMORA_TEXT(West, "Запад")
VELMORA_TEXT(East, "Восток")
VELMORA_TEXT(ScreenPrefix, "Экран: ")
VELMORA_TEXT(GameOverText,
             "Твоя игра окончена, хранитель! Теперь никто не помешает мне, великому и ужасному "
             "Черному Властелину, завладеть всем миром!")
VELMORA_TEXT(HealthPrefix, "Здоровье - ")
VELMORA_TEXT(LoadPrefix, ", нагрузка - ")
VELMORA_TEXT(LevelPrefix, ", опыт - ")
VELMORA_TEXT(NorthWord, "север")
VELMORA_TEXT(SouthWord, "юг")
VELMORA_TEXT(EastWord, "восток")
VELMORA_TEXT(WestWord, "запад")

#undef VELMORA_TEXT

}  // namespace velmora::rules::texts

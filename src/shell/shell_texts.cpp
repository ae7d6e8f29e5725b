#include "shell/shell_texts.h"

#include <array>

#include "base/encoding.h"

namespace velmora::shell::texts {

#define VELMORA_TEXT(Name, Utf8)                                   \
    const std::string& Name() {                                    \
        static const std::string text = base::Utf8ToCp1251(Utf8);  \
        return text;                                               \
    }

VELMORA_TEXT(MainMenuTitle, "Главное меню")
VELMORA_TEXT(ChooserTitle, "Выберите отгрузку")
VELMORA_TEXT(HelpText,
             "Клавиши управления: стрелки вверх/вниз и энтэр - работа с меню.\r\n"
             "бэкспэйс - отмена действия,\r\n"
             "эф 2 - информация о герое,\r\n"
             "эф 3 - название экрана и последнее сообщение,\r\n"
             "контрол плюс эм - включить или выключить музыку,\r\n"
             "контрол и плюс-минус на калькуляторном блоке - регулировка скорости речи,\r\n"
             "контрол и умножить/разделить на калькуляторном блоке - регулировка громкости музыки.")
VELMORA_TEXT(Credits,
             "Вельмора. Проигрыватель звуковых приключений для тех, кто не видит экран. "
             "Программа написана её разработчиками с любовью к слушателям.")
VELMORA_TEXT(Only, "Только ")
VELMORA_TEXT(Items, " пунктов")
VELMORA_TEXT(ScreenPrefix, "Экран: ")
VELMORA_TEXT(LastMessage, ", последнее сообщение: ")
VELMORA_TEXT(ReadingEnd, "конец")
VELMORA_TEXT(EmptySlot, "Под этим номером ничего не записано!")
VELMORA_TEXT(Go, "Идти")
VELMORA_TEXT(Rest, "Отдыхать")
VELMORA_TEXT(Examine, "Осмотреть")
VELMORA_TEXT(Carried, "Что с собой")
VELMORA_TEXT(Use, "Использовать")
VELMORA_TEXT(Take, "Взять")
VELMORA_TEXT(Drop, "Бросить")
VELMORA_TEXT(Talk, "Говорить")
VELMORA_TEXT(Give, "Отдать")
VELMORA_TEXT(Game, "Игра")
VELMORA_TEXT(Directions, "направлений")
VELMORA_TEXT(Things, "предметов")
VELMORA_TEXT(Actions, "действий")
VELMORA_TEXT(Saves, "отгрузок")
VELMORA_TEXT(CanGo, "Можно идти")
VELMORA_TEXT(AllFour, " на все четыре стороны")
VELMORA_TEXT(What, "Что? ")
VELMORA_TEXT(OnWhat, "На что?")
VELMORA_TEXT(NoOneToGive, "некому отдавать")
VELMORA_TEXT(ToWhom, "кому?")
VELMORA_TEXT(DoesNotWork, "не получается.")
VELMORA_TEXT(LoadGame, "Загрузить игру")
VELMORA_TEXT(SaveGame, "Сохранить игру")
VELMORA_TEXT(NewGame, "Новая игра")
VELMORA_TEXT(LeaveToMenu, "выход в меню")
VELMORA_TEXT(ErrorPrefix, "Ошибка: ")

#undef VELMORA_TEXT

const std::string& Slot(int n) {
    static const std::array<std::string, 5> slots = {
        base::Utf8ToCp1251("1 (пе<рвая игра)"), base::Utf8ToCp1251("2 (вторая игра)"),
        base::Utf8ToCp1251("3 (третья игра)"), base::Utf8ToCp1251("4 (четвертая игра)"),
        base::Utf8ToCp1251("5 (пятая игра)")};
    return slots.at(static_cast<size_t>(n - 1));
}

}  // namespace velmora::shell::texts

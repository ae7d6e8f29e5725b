#include "shell/shell_texts.h"

#include <array>

#include "base/encoding.h"
#include "base/own_text.h"

namespace velmora::shell::texts {

VELMORA_OWN_TEXT(MainMenuTitle, "Главное меню")
VELMORA_OWN_TEXT(ChooserTitle, "Выберите отгрузку")
// The window's seven lines (the line after the first full stop with its
// capital), then the keys of our own, with dashes: the function keys for the
// settings that every keyboard has, hearing again, and silence.
VELMORA_OWN_TEXT(HelpText,
             "Клавиши управления: стрелки вверх/вниз и энтэр - работа с меню.\r\n"
             "Бэкспэйс - отмена действия,\r\n"
             "эф 2 - информация о герое,\r\n"
             "эф 3 - название экрана и последнее сообщение,\r\n"
             "контрол плюс эм - включить или выключить музыку,\r\n"
             "контрол и плюс-минус на калькуляторном блоке - регулировка скорости речи,\r\n"
             "контрол и умножить/разделить на калькуляторном блоке - регулировка громкости музыки,\r\n"
             "эф 5 и эф 6 — речь медленнее и быстрее, эф 7 и эф 8 — музыка тише и громче,\r\n"
             "эф 9 — включить или выключить музыку,\r\n"
             "эф 4 — где я: экран, его описание и выходы,\r\n"
             "эф 11 и эф 12 — назад и вперёд по сказанному, эф 10 — повторить последнее,\r\n"
             "контрол — замолчать.")
// A terminal cannot send Ctrl with the numeric pad's keys, nor Ctrl+M (it
// arrives as Enter), nor Ctrl alone: its help names the keys it can send.
VELMORA_OWN_TEXT(TerminalHelpText,
             "Клавиши управления: стрелки вверх/вниз и энтэр - работа с меню.\r\n"
             "Бэкспэйс - отмена действия,\r\n"
             "эф 2 - информация о герое,\r\n"
             "эф 3 - название экрана и последнее сообщение,\r\n"
             "эф 9 или альт плюс эм — включить или выключить музыку,\r\n"
             "эф 5 и эф 6 — речь медленнее и быстрее,\r\n"
             "эф 7 и эф 8 — музыка тише и громче,\r\n"
             "эф 4 — где я: экран, его описание и выходы,\r\n"
             "эф 11 и эф 12 — назад и вперёд по сказанному, эф 10 или шифт плюс эф 12 — повторить последнее,\r\n"
             "контрол и пробел — замолчать.")
// In a web page F5 and F6 reload the page and move to the address bar, and
// the page leaves them to the browser: the speech rate is in the settings.
VELMORA_OWN_TEXT(PageHelpText,
             "Клавиши управления: стрелки вверх/вниз и энтэр - работа с меню.\r\n"
             "Бэкспэйс - отмена действия,\r\n"
             "эф 2 - информация о герое,\r\n"
             "эф 3 - название экрана и последнее сообщение,\r\n"
             "эф 9 или контрол плюс эм — включить или выключить музыку,\r\n"
             "эф 7 и эф 8 — музыка тише и громче,\r\n"
             "скорость речи — в главном меню, пункт «Настройки»,\r\n"
             "эф 4 — где я: экран, его описание и выходы,\r\n"
             "эф 11 и эф 12 — назад и вперёд по сказанному, эф 10 — повторить последнее,\r\n"
             "таб — кнопки страницы, контрол — замолчать.")
VELMORA_OWN_TEXT(Credits,
             "Вельмора. Проигрыватель звуковых приключений для тех, кто не видит экран. "
             "Программа написана её разработчиками с любовью к слушателям.")
VELMORA_OWN_TEXT(ChooseAdventure, "Выбрать приключение")
VELMORA_OWN_TEXT(Only, "Только ")
VELMORA_OWN_TEXT(ScreenPrefix, "Экран: ")
VELMORA_OWN_TEXT(LastMessage, ", последнее сообщение: ")
VELMORA_OWN_TEXT(ReadingEnd, "конец")
VELMORA_OWN_TEXT(EmptySlot, "Под этим номером ничего не записано!")
VELMORA_OWN_TEXT(SlotEmpty, ", пусто")
VELMORA_OWN_TEXT(SlotTaken, ", записано")
VELMORA_OWN_TEXT(SlotDamaged, ", повреждено")
VELMORA_OWN_TEXT(Go, "Идти")
VELMORA_OWN_TEXT(Rest, "Отдыхать")
VELMORA_OWN_TEXT(Examine, "Осмотреть")
VELMORA_OWN_TEXT(Carried, "Что с собой")
VELMORA_OWN_TEXT(Use, "Использовать")
VELMORA_OWN_TEXT(Take, "Взять")
VELMORA_OWN_TEXT(Drop, "Бросить")
VELMORA_OWN_TEXT(Talk, "Говорить")
VELMORA_OWN_TEXT(Give, "Отдать")
VELMORA_OWN_TEXT(Game, "Игра")
VELMORA_OWN_TEXT(CanGo, "Можно идти")
VELMORA_OWN_TEXT(AllFour, " на все четыре стороны")
VELMORA_OWN_TEXT(What, "Что? ")
VELMORA_OWN_TEXT(OnWhat, "На что?")
VELMORA_OWN_TEXT(NoOneToGive, "некому отдавать")
VELMORA_OWN_TEXT(ToWhom, "кому?")
VELMORA_OWN_TEXT(DoesNotWork, "не получается.")
VELMORA_OWN_TEXT(LoadGame, "Загрузить игру")
VELMORA_OWN_TEXT(SaveGame, "Сохранить игру")
VELMORA_OWN_TEXT(NewGame, "Новая игра")
// With its capital, as the entries beside it have.
VELMORA_OWN_TEXT(LeaveToMenu, "Выход в меню")
VELMORA_OWN_TEXT(ErrorPrefix, "Ошибка: ")
VELMORA_OWN_TEXT(Saved, "Игра сохранена: ")
VELMORA_OWN_TEXT(SpeedIs, "Скорость речи ")
VELMORA_OWN_TEXT(VolumeIs, "Громкость музыки ")
VELMORA_OWN_TEXT(MusicOn, "Музыка включена")
VELMORA_OWN_TEXT(MusicOff, "Музыка выключена")
VELMORA_OWN_TEXT(Settings, "Настройки")
VELMORA_OWN_TEXT(HealthLabel, "Здоровье ")
VELMORA_OWN_TEXT(LoadLabel, "Нагрузка ")
VELMORA_OWN_TEXT(ExperienceLabel, "Опыт ")
VELMORA_OWN_TEXT(SpeechRateSetting, "Скорость речи")
VELMORA_OWN_TEXT(VolumeSetting, "Громкость музыки")
VELMORA_OWN_TEXT(MusicSetting, "Музыка")
VELMORA_OWN_TEXT(VoiceSetting, "Голос")
VELMORA_OWN_TEXT(OutputSetting, "Вывод речи")
VELMORA_OWN_TEXT(DefaultVoice, "русский голос по умолчанию")
VELMORA_OWN_TEXT(OutputAuto, "сам выбирает")
VELMORA_OWN_TEXT(OutputPrint, "печать")
VELMORA_OWN_TEXT(OutputNone, "нет, читает экранный чтец")
VELMORA_OWN_TEXT(NoSoundForMusic, "Музыка не играет: звука нет")
VELMORA_OWN_TEXT(NoFaster, ", быстрее нельзя")
VELMORA_OWN_TEXT(NoSlower, ", медленнее нельзя")
VELMORA_OWN_TEXT(NoLouder, ", громче нельзя")
VELMORA_OWN_TEXT(NoQuieter, ", тише нельзя")

// Every count the program speaks agrees with its number; a single word
// ("предметов") would say "1 предметов".
#define VELMORA_OWN_PLURAL(Name, One, Few, Many)                                   \
    const base::Plural& Name() {                                                   \
        static const base::Plural noun{base::Utf8ToCp1251(One), base::Utf8ToCp1251(Few), \
                                       base::Utf8ToCp1251(Many)};                  \
        return noun;                                                               \
    }
VELMORA_OWN_PLURAL(Items, "пункт", "пункта", "пунктов")
VELMORA_OWN_PLURAL(Directions, "направление", "направления", "направлений")
VELMORA_OWN_PLURAL(Things, "предмет", "предмета", "предметов")
VELMORA_OWN_PLURAL(Actions, "действие", "действия", "действий")
VELMORA_OWN_PLURAL(Saves, "отгрузка", "отгрузки", "отгрузок")
VELMORA_OWN_PLURAL(Adventures, "приключение", "приключения", "приключений")
#undef VELMORA_OWN_PLURAL

const std::string& Slot(int n) {
    // No stray "<" in the first caption, which the voice and braille gave
    // away; "четвёртая" with its ё, as the game's own texts spell it.
    static const std::array<std::string, 5> slots = {
        base::Utf8ToCp1251("1 (первая игра)"), base::Utf8ToCp1251("2 (вторая игра)"),
        base::Utf8ToCp1251("3 (третья игра)"), base::Utf8ToCp1251("4 (четвёртая игра)"),
        base::Utf8ToCp1251("5 (пятая игра)")};
    return slots.at(static_cast<size_t>(n - 1));
}

}  // namespace velmora::shell::texts

// The shell's own texts, in the game's code page.
#pragma once

#include <string>

#include "base/plural.h"

namespace velmora::shell::texts {

const std::string& MainMenuTitle();   // "Главное меню"
const std::string& ChooserTitle();    // "Выберите отгрузку"
const std::string& HelpText();
const std::string& TerminalHelpText();  // the same, naming the terminal's keys
const std::string& PageHelpText();      // the same, without the browser's F5 and F6
const std::string& Credits();
const std::string& Only();            // "Только "
const base::Plural& Items();          // пункт, пункта, пунктов
const base::Plural& Adventures();     // приключение, приключения, приключений
const std::string& ScreenPrefix();    // "Экран: "
const std::string& LastMessage();     // ", последнее сообщение: "
const std::string& ReadingEnd();      // "конец"
const std::string& EmptySlot();       // "Под этим номером ничего не записано!"
// What a slot holds, after its name: ", пусто", ", записано" (a screen
// without a title), ", повреждено".
const std::string& SlotEmpty();
const std::string& SlotTaken();
const std::string& SlotDamaged();
const std::string& Go();
const std::string& Rest();
const std::string& Examine();
const std::string& Carried();
const std::string& Use();
const std::string& Take();
const std::string& Drop();
const std::string& Talk();
const std::string& Give();
const std::string& Game();
const base::Plural& Directions();  // направление, направления, направлений
const base::Plural& Things();  // предмет, предмета, предметов
const base::Plural& Actions();  // действие, действия, действий
const base::Plural& Saves();  // отгрузка, отгрузки, отгрузок
const std::string& CanGo();           // "Можно идти"
const std::string& AllFour();         // " на все четыре стороны"
const std::string& What();            // "Что? "
const std::string& OnWhat();          // "На что?"
const std::string& NoOneToGive();     // "некому отдавать"
const std::string& ToWhom();          // "кому?"
const std::string& DoesNotWork();     // "не получается."
const std::string& LoadGame();
const std::string& SaveGame();
const std::string& NewGame();
const std::string& LeaveToMenu();
const std::string& Slot(int n);       // "1 (первая игра)" …
const std::string& Saved();           // "Игра сохранена: "
const std::string& SpeedIs();         // "Скорость речи "
const std::string& VolumeIs();        // "Громкость музыки "
const std::string& MusicOn();         // "Музыка включена"
const std::string& MusicOff();        // "Музыка выключена"
// The names before the hero's three numbers in the window.
const std::string& HealthLabel();
const std::string& LoadLabel();
const std::string& ExperienceLabel();
// The settings and their entries.
const std::string& ChooseAdventure();    // "Выбрать приключение"
const std::string& Settings();           // "Настройки"
const std::string& SpeechRateSetting();  // "Скорость речи"
const std::string& VolumeSetting();      // "Громкость музыки"
const std::string& MusicSetting();       // "Музыка"
const std::string& VoiceSetting();       // "Голос"
const std::string& OutputSetting();      // "Вывод речи"
const std::string& DefaultVoice();       // the voice of no name
const std::string& OutputAuto();         // the outputs' names as the settings say them
const std::string& OutputPrint();
const std::string& OutputNone();
const std::string& NoSoundForMusic();  // "Музыка не играет: звука нет"
// After a setting at its limit: ", быстрее нельзя" and the like.
const std::string& NoFaster();
const std::string& NoSlower();
const std::string& NoLouder();
const std::string& NoQuieter();
const std::string& ErrorPrefix();     // "Ошибка: "

}  // namespace velmora::shell::texts

#include "talkui/texts.h"

#include "base/encoding.h"

namespace velmora::talkui {

std::string Cp(const char* utf8) { return base::Utf8ToCp1251(utf8); }

const ToolkitTexts& Texts() {
    static const ToolkitTexts texts{
        .EmptyLine = Cp("строка пуста"),
        .LineStart = Cp("начало строки"),
        .LineEnd = Cp("конец строки"),
        .HelpWord = "help",
        .LineContext = Cp("простая строка. контекстное меню"),
        .FileContext = Cp("файловая строка. контекстное меню"),
        .Dot = ". ",
        .YesSuffix = Cp(" да"),
        .NoSuffix = Cp(" нет"),
        .Yes = Cp("да"),
        .No = Cp("нет"),
        .YesShown = Cp("Да"),
        .NoShown = Cp("Нет"),
        .Value = Cp(" значение "),
        .EmptyString = Cp(" пустая строка"),
        .InputLine = Cp(" строка для ввода "),
        .FilePaths = Cp("пути к файлам "),
        .KeyWord = Cp(" клавиша "),
        .SearchCleared = Cp("Поиск очищен."),
        .DescriptionWord = Cp(" описание "),
        .FreeWord = Cp(" свободно "),
        .TotalWord = Cp(" всего "),
        .Selected = Cp("Выделено "),
        .FoldersWord = Cp("папок "),
        .FilesWord = Cp(", файлов "),
        .DriveList = Cp("список дисков"),
        .TypingPrompt = Cp("введите путь"),
        .SizeUnit = Cp(" байт"),
        .NetworkDrive = Cp(" сетевой"),
        .CdDrive = Cp(" компакт-диск"),
    };
    return texts;
}

}  // namespace velmora::talkui

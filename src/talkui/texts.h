// The toolkit's own Russian texts, in code page 1251, converted once.
#pragma once

#include <string>

namespace velmora::talkui {

struct ToolkitTexts {
    // The edit line.
    std::string EmptyLine;      // "строка пуста"
    std::string LineStart;      // "начало строки"
    std::string LineEnd;        // "конец строки"
    std::string HelpWord;       // "help"
    std::string LineContext;    // "простая строка. контекстное меню"
    std::string FileContext;    // "файловая строка. контекстное меню"

    // Details of menu entries.
    std::string Dot;            // ". "
    std::string YesSuffix;      // " да"
    std::string NoSuffix;       // " нет"
    std::string Yes;            // "да"
    std::string No;             // "нет"
    std::string YesShown;       // "Да"
    std::string NoShown;        // "Нет"
    std::string Value;          // " значение "
    std::string EmptyString;    // " пустая строка"
    std::string InputLine;      // " строка для ввода "
    std::string FilePaths;      // "пути к файлам "
    std::string KeyWord;        // " клавиша "
    std::string SearchCleared;  // "Поиск очищен."

    // The file navigator.
    std::string DescriptionWord;  // " описание "
    std::string FreeWord;         // " свободно "
    std::string TotalWord;        // " всего "
    std::string Selected;         // "Выделено "
    // Our own wording where the navigator's message tables were empty.
    std::string FoldersWord;      // "папок "
    std::string FilesWord;        // ", файлов "
    std::string DriveList;        // "список дисков"
    std::string TypingPrompt;     // "введите путь"
    std::string SizeUnit;         // " байт"
    std::string NetworkDrive;     // " сетевой"
    std::string CdDrive;          // " компакт-диск"
};

const ToolkitTexts& Texts();

// Converts UTF-8 source text to code page 1251.
std::string Cp(const char* utf8);

}  // namespace velmora::talkui

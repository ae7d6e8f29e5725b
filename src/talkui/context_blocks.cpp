#include "talkui/context_blocks.h"

#include "talkui/texts.h"

namespace velmora::talkui {

ContextBlocks::ContextBlocks() {
    const struct {
        const char* caption;
        int code;
    } lineCommands[] = {
        {"произнести весь текст строки", 6},
        {"перевод текущего имени", 10},
        {"включение / выключение навигации по диску", 7},
    };
    for (const auto& c : lineCommands) line_.AddEntry(Cp(c.caption), etCommand, kLineCommand | c.code);

    const struct {
        const char* caption;
        int code;
    } fileCommands[] = {
        {"Копировать", 17},
        {"Переместить", 18},
        {"Переименовать", 15},
        {"Создать директорию", 19},
        {"Маска", 22},
        {"установка текущей директории", 14},
        {"удалить файл", 13},
        {"произнести размер файла", 12},
        {"маркировка", 16},
        {"на первый файл", 20},
        {"поиск текста во всех файлах директории", 21},
        {"поиск файла по маске во всех подкаталогах", 23},
        {"проиграть файл или каталог", 24},
        {"Выделить все файлы директории", 25},
        {"Список всех читаемых подряд файлов директории", 26},
        {"создать ярлык", 27},
        {"Компрессировать в эм пэ 3", 28},
        {"Распаковать", 29},
        {"Запаковать", 30},
        {"Прожечь папку на диск", 31},
        {"Узнать информацию о диске", 32},
    };
    for (const auto& c : fileCommands) file_.AddEntry(Cp(c.caption), etCommand, kLineCommand | c.code);
    file_.Entries.back().Description = Cp(" Доступно, если установлена Неро");
    file_.AddEntry(Cp("Действия для обычной строки"), etSubmenu).Link = &line_;
}

}  // namespace velmora::talkui

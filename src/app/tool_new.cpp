#include "app/tool_new.h"

#include <array>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "app/tool_media.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/terminal_text.h"

namespace fs = std::filesystem;

namespace velmora::tool {
namespace {

// A key-line file as the shipped adventure keeps it: code page 1251, CR LF.
// The game reads a line without "=" as nothing, so the comments are such
// lines; the first line is a key, as a plain file must begin with one.
std::string KeyFile(const std::vector<std::string>& lines) {
    std::string utf8;
    for (const std::string& line : lines) {
        if (line.starts_with(";") && line.find('=') != std::string::npos) {
            throw std::logic_error("a comment with '=' would be read as a key: " + line);
        }
        utf8 += line;
        utf8 += "\r\n";
    }
    return base::Utf8ToCp1251(utf8);
}

const std::vector<std::string>& GameIni() {
    static const std::vector<std::string> lines = {
        "GameInitHealth=30",
        "; Стартовый проект Вельморы. game.ini держит то, что общее для всей игры:",
        "; здоровье героя, стандартные сообщения, вступление и страницы победы.",
        "; Строка файла: ключ, знак равенства, значение. Строка без этого знака,",
        "; как эта, игрой не читается: так пишутся пояснения. Первая строка файла",
        "; обязана быть ключом. Файл хранится в кодировке Windows-1251 с концами",
        "; строк CR LF, как его сохраняет Блокнот Windows в кодировке ANSI.",
        ";",
        "; GameInitHealth: здоровье героя в начале игры.",
        "; GameGoDecHealth: сколько здоровья отнимает каждый переход на другой экран.",
        "GameGoDecHealth=1",
        "; GameRestIncHealth: сколько даёт первый отдых после перехода (не выше 100).",
        "GameRestIncHealth=10",
        "; GameRestDecHealth: сколько отнимает каждый следующий отдых без перехода.",
        "GameRestDecHealth=2",
        ";",
        "; Списки сообщений: ключ Cnt говорит, сколько строк в списке, строки идут",
        "; под номерами с нуля. Игра говорит их по порядку, а дойдя до последней,",
        "; повторяет её. В тексте \\n начинает новую строку.",
        "; GameNotInter: на экране нечего осматривать.",
        "GameNotInterCnt=1",
        "GameNotInter0=Ничего примечательного.",
        "; GameNotExam: предмет нельзя осмотреть.",
        "GameNotExamCnt=1",
        "GameNotExam0=Больше ничего не разобрать.",
        "; GameDeath: смерть героя; строку выбирает номер смерти (с единицы).",
        "GameDeathCnt=1",
        "GameDeath0=Силы оставили тебя. Нажми любую клавишу.",
        "; GameIntros: страницы. Первая звучит как вступление новой игры, другие",
        "; запускает оператор inter с номером страницы (с единицы). Строки",
        "; страницы: текст или команды. #image ИМЯ показывает картинку из папки",
        "; gif, #play ИМЯ играет музыку из папки проекта, #snd ИМЯ звук из Snd,",
        "; #page N дочитывает текст, ждёт N десятых долей секунды и очищает",
        "; страницу, #wait N читает и ждёт, не очищая, #vol N громкость музыки.",
        "GameIntrosCnt=2",
        "GameIntros0=#image intro.gif\\n#play intro.mid\\nНа краю леса стоит старый дом. "
        "Говорят, в нём спрятан клад лесника.\\n#page 10\\nТы пришёл его найти.\\n#page 5",
        "GameIntros1=#image win.gif\\n#play win.mid\\nТы выносишь золото лесника на "
        "солнечную поляну. Клад твой!\\n#page 10",
        "; GameITake и GameIDrop: предмет взят, предмет брошен.",
        "GameITakeCnt=1",
        "GameITake0=Взято.",
        "GameIDropCnt=1",
        "GameIDrop0=Брошено.",
        "; GameNoTake и GameNoDrop: нечего взять, нечего бросить.",
        "GameNoTakeCnt=1",
        "GameNoTake0=Здесь нечего взять.",
        "GameNoDropCnt=1",
        "GameNoDrop0=Тебе нечего бросить.",
        "; GameNoSpeak: герою не с кем говорить.",
        "GameNoSpeakCnt=1",
        "GameNoSpeak0=Здесь не с кем говорить.",
        "; GameNoGo: с экрана нет выхода.",
        "GameNoGoCnt=1",
        "GameNoGo0=Отсюда не уйти.",
        "; GameIHaveNot: у героя ничего нет.",
        "GameIHaveNotCnt=1",
        "GameIHaveNot0=У тебя с собой ничего нет.",
        "; GameICant: из попытки использовать ничего не вышло.",
        "GameICantCnt=1",
        "GameICant0=Ничего не выходит.",
        "; GameICantTake: предмет нельзя взять; GameTooHavy: он слишком тяжёл.",
        "GameICantTakeCnt=1",
        "GameICantTake0=Это не унести.",
        "GameTooHavyCnt=1",
        "GameTooHavy0=Слишком тяжело. Оставь что-нибудь.",
        "; GameStdRest: отдых на экране без своих сообщений об отдыхе.",
        "GameStdRestCnt=1",
        "GameStdRest0=Ты переводишь дух.",
        "; GameLongRest: герой отдыхает снова, не сходя с места.",
        "GameLongRestCnt=1",
        "GameLongRest0=Хватит сидеть, пора искать клад.",
    };
    return lines;
}

const std::vector<std::string>& Map1Ini() {
    static const std::vector<std::string> lines = {
        "MapTitle=Клад лесника",
        "; map1.ini: первая карта игры (вторая была бы map2.ini). Ключи Map",
        "; относятся ко всей карте. MapTitle: название игры, MapAuthor: автор,",
        "; MapFirstMessage: что герой слышит, когда попадает на карту.",
        "MapAuthor=Автор новой игры",
        "MapFirstMessage=Ты стоишь на поляне у леса. На север видна дверь старого дома.",
        ";",
        "; Экраны. MapScrCount: сколько их; экран номер i описан ключами Scr и i.",
        "; Scr0no: номер экрана, по нему на экран ссылаются выходы и команды.",
        "; Scr0x и Scr0y: клетка экрана на карте; y на единицу больше лежит к северу.",
        "; Scr0Title: название, Scr0Descr: описания (список, как сообщения).",
        "; Scr0North, South, East, West: выходы. -1 ведёт в соседнюю клетку,",
        "; -2 значит, что выхода нет, 0 и больше ведут на экран с этим местом",
        "; в списке (с нуля; здесь место и номер совпадают).",
        "; Scr0AltN (AltS, AltE, AltW): как выход назван в меню.",
        "; Картинка экрана: gif/N.gif, где N его место в списке (с нуля).",
        "MapScrCount=2",
        "Scr0no=0",
        "Scr0x=0",
        "Scr0y=0",
        "Scr0Title=Поляна",
        "Scr0DescrCnt=1",
        "Scr0Descr0=Солнечная поляна. Трава примята, будто здесь недавно кто-то ходил.",
        "Scr0North=-1",
        "Scr0South=-2",
        "Scr0East=-2",
        "Scr0West=-2",
        "Scr0AltN=К дому",
        "; Scr0OnEnter: сценарий, который идёт, когда герой входит на экран. Здесь",
        "; он ждёт открытого сундука (ostat: состояние предмета) и тогда",
        "; показывает вторую страницу GameIntros (inter 2, с единицы) и кончает",
        "; игру победой: exit выводит в главное меню.",
        "Scr0OnEnter=if ostat сундук 1\\ninter 2\\nexit\\nendif",
        "Scr1no=1",
        "Scr1x=0",
        "Scr1y=1",
        "Scr1Title=Старый дом",
        "Scr1DescrCnt=1",
        "Scr1Descr0=Пыльная комната. У стены стоит окованный сундук.",
        "Scr1North=-2",
        "Scr1South=-1",
        "Scr1East=-2",
        "Scr1West=-2",
        "Scr1AltS=На поляну",
        ";",
        "; Предметы. MapObjCount: сколько их. Obj0Title: имя, по нему предмет",
        "; ищут в меню и называют в сценариях. Obj0ScrWhere: номер экрана, где",
        "; предмет лежит (-1: у героя). Obj0Visible: 1, если предмет виден;",
        "; Obj0Takable: 1, если его можно взять; Obj0Weight: вес (герой несёт",
        "; до 100). Obj0Descr: описание при осмотре.",
        "MapObjCount=2",
        "Obj0no=0",
        "Obj0Title=ключ",
        "Obj0ScrWhere=0",
        "Obj0Visible=1",
        "Obj0Takable=1",
        "Obj0Weight=1",
        "Obj0DescrCnt=1",
        "Obj0Descr0=Маленький медный ключ. Кто-то обронил его в траве.",
        "Obj0DescrOnState=0",
        "Obj1no=1",
        "Obj1Title=сундук",
        "Obj1ScrWhere=1",
        "Obj1Visible=1",
        "Obj1Takable=0",
        "Obj1Weight=80",
        "; Obj1DescrOnState: 1, если описание выбирает состояние предмета",
        "; (состояние 0: Descr0, 1: Descr1), 0, если описания идут по порядку.",
        "Obj1DescrCnt=2",
        "Obj1Descr0=Тяжёлый сундук, окованный железом. На нём висит замок.",
        "Obj1Descr1=Сундук открыт, внутри блестит золото.",
        "Obj1DescrOnState=1",
        ";",
        "; Команды. Игрок выбирает Использовать, потом первый предмет, потом",
        "; второй (тот же предмет дважды: использовать его сам по себе).",
        "; Cmd0cScr: номер экрана, где команда работает (-2: на любом).",
        "; Cmd0cObj1 и Cmd0cObj2: номера первого и второго предметов;",
        "; Cmd0cObj1Carry и Cmd0cObj2Carry: 1, если предмет должен быть у героя.",
        "; Cmd0MaxOnce: 1, если команда срабатывает один раз. Cmd0Enabled: 1,",
        "; если она доступна с начала игры. Cmd0Message: что герой слышит.",
        "; Cmd0list->Text: сценарий, по оператору на строку (\\n между ними);",
        "; setostat ставит предмету состояние. Сообщение звучит, когда сценарий",
        "; выполнил хоть один оператор.",
        "MapCmdCount=1",
        "Cmd0no=1",
        "Cmd0Title=Открыть сундук",
        "Cmd0cScr=1",
        "Cmd0cObj1=0",
        "Cmd0cObj2=1",
        "Cmd0cObj1Carry=1",
        "Cmd0cObj2Carry=0",
        "Cmd0MaxOnce=1",
        "Cmd0Enabled=1",
        "Cmd0Message=Ключ подходит к замку. Крышка поднимается: внутри золото лесника! "
        "Неси его на поляну, к свету.",
        "Cmd0list->Text=setostat сундук 1\\n",
    };
    return lines;
}

// The two menus, one entry a line, as the shipped adventure has them.
const std::vector<std::string>& MenuTxt() {
    static const std::vector<std::string> lines = {"Новая игра", "Загрузить игру", "Инструкция",
                                                   "Вступление", "Об авторах", "Выход"};
    return lines;
}
const std::vector<std::string>& GmenuTxt() {
    static const std::vector<std::string> lines = {"Первая", "Вторая", "Третья",
                                                   "Четвёртая", "Пятая", "Назад"};
    return lines;
}

enum Colour : uint8_t { kSky, kGrass, kWood, kRoof, kSun, kGold, kDark, kWhite };

Canvas Picture() {
    return Canvas(320, 120,
                  {{110, 170, 230}, {60, 150, 60}, {130, 85, 40}, {160, 40, 40}, {250, 220, 60},
                   {240, 190, 20}, {40, 30, 25}, {240, 240, 240}});
}

std::string Glade() {
    Canvas c = Picture();
    c.Fill(kSky);
    c.Rect(0, 80, 320, 40, kGrass);
    c.Disc(270, 25, 15, kSun);
    for (int x = 20; x < 120; x += 30) {
        c.Peak(x, 30, 14, 45, kGrass);
        c.Rect(x - 2, 75, 5, 8, kWood);
    }
    c.Rect(200, 60, 40, 25, kWood);
    c.Peak(220, 40, 26, 20, kRoof);
    c.Disc(160, 100, 3, kGold);  // the key in the grass
    return c.Gif();
}

std::string Room() {
    Canvas c = Picture();
    c.Fill(kDark);
    c.Rect(0, 90, 320, 30, kWood);
    c.Rect(130, 55, 70, 40, kWood);
    c.Rect(130, 55, 70, 6, kRoof);
    c.Rect(160, 70, 10, 10, kGold);
    c.Rect(40, 20, 40, 30, kSky);  // the window
    return c.Gif();
}

std::string Intro() {
    Canvas c = Picture();
    c.Fill(kSky);
    c.Rect(0, 85, 320, 35, kGrass);
    c.Rect(130, 50, 60, 40, kWood);
    c.Peak(160, 20, 40, 30, kRoof);
    c.Rect(152, 65, 16, 25, kDark);
    return c.Gif();
}

std::string Win() {
    Canvas c = Picture();
    c.Fill(kDark);
    c.Rect(110, 60, 100, 45, kWood);
    for (int i = 0; i < 5; ++i) c.Disc(130 + i * 15, 58, 7, kGold);
    c.Disc(60, 30, 5, kWhite);
    c.Disc(260, 25, 5, kWhite);
    return c.Gif();
}

// Short tunes on General MIDI instruments: the menu's on a piano, the map's
// on a flute, the introduction's on strings, the win's on brass.
std::string MenuTune() {
    return Midi({{60, 4}, {64, 4}, {67, 4}, {72, 8}, {67, 4}, {64, 4}, {60, 8}}, 0, 100);
}
std::string MapTune() {
    return Midi({{67, 2}, {69, 2}, {71, 4}, {67, 4}, {0, 2}, {64, 2}, {66, 2}, {67, 8}}, 73, 90);
}
std::string IntroTune() {
    return Midi({{57, 8}, {60, 8}, {64, 8}, {62, 16}}, 48, 70);
}
std::string WinTune() {
    return Midi({{60, 2}, {64, 2}, {67, 2}, {72, 6}, {67, 2}, {72, 12}}, 61, 120);
}

std::string Readme() {
    return "Стартовый проект Вельморы: два экрана, ключ, сундук и команда, которая\n"
           "открывает сундук; с золотом на поляне игра кончается победой.\n\n"
           "Проверить:  velmora-tool check --strict ПАПКА\n"
           "Пройти:     velmora-tool check --strict --walk ПАПКА/walkthrough.keys ПАПКА\n"
           "Упаковать:  velmora-tool pack ПАПКА\n"
           "Сайт:       velmora-tool web ПАПКА ПАПКА_САЙТА\n"
           "Играть:     скопируйте папку в ~/.local/share/velmora/Projects/ и\n"
           "            запустите velmora --project ИМЯ_ПАПКИ\n\n"
           "Файлы *.ini, menu.txt и gmenu.txt в кодировке Windows-1251 с концами\n"
           "строк CR LF, с пояснениями к ключам внутри; этот файл в UTF-8. Игра читает\n"
           "обе кодировки (velmora-tool convert переводит проект из одной в другую).\n"
           "Картинки (gif/) и мелодии (*.mid) сделала velmora-tool new; замените их\n"
           "своими.\n";
}

}  // namespace

const std::string& StarterWalkthrough() {
    static const std::string keys =
        "# args: -nomenu\n"
        "# The starter won. Each action is a digit of the action menu (1 go,\n"
        "# 2 rest, 3 examine, 4 what the hero carries, 5 use, 6 take), then the\n"
        "# first letters of an object typed into the list, or Down to an exit\n"
        "# (the list begins with how many there are), then Enter.\n"
        "# The glade: the key examined and taken.\n"
        "3\n"
        "type клю\n"
        "Enter\n"
        "6\n"
        "type клю\n"
        "Enter\n"
        "# North, to the house.\n"
        "1\n"
        "Down\n"
        "Enter\n"
        "# The key on the chest: the command opens it.\n"
        "5\n"
        "type клю\n"
        "Enter\n"
        "type сунд\n"
        "Enter\n"
        "# Back to the glade with the gold: the win.\n"
        "1\n"
        "Down\n"
        "Enter\n";
    return keys;
}

int NewProject(const fs::path& dir, std::ostream& out, std::ostream& err) {
    const std::string shown = base::TerminalSafe(base::DisplayPath(dir));
    std::error_code ec;
    const auto status = fs::symlink_status(dir, ec);
    if (fs::exists(status)) {
        if (!fs::is_directory(status)) {
            err << "velmora-tool: " << shown << ": exists and is not a folder\n";
            return 2;
        }
        if (!fs::is_empty(dir, ec) || ec) {
            err << "velmora-tool: " << shown
                << ": the folder is not empty; new writes only into a new or empty folder\n";
            return 2;
        }
    }
    const std::array<std::pair<const char*, std::string>, 14> files = {{
        {"game.ini", KeyFile(GameIni())},
        {"map1.ini", KeyFile(Map1Ini())},
        {"menu.txt", KeyFile(MenuTxt())},
        {"gmenu.txt", KeyFile(GmenuTxt())},
        {"gif/0.gif", Glade()},
        {"gif/1.gif", Room()},
        {"gif/intro.gif", Intro()},
        {"gif/win.gif", Win()},
        {"menu.mid", MenuTune()},
        {"map1.mid", MapTune()},
        {"intro.mid", IntroTune()},
        {"win.mid", WinTune()},
        {"walkthrough.keys", StarterWalkthrough()},
        {"README.txt", Readme()},
    }};
    try {
        fs::create_directories(dir / "gif");
        for (const auto& [name, bytes] : files) base::WriteFileAtomic(dir / name, bytes);
    } catch (const base::FileError& e) {
        err << "velmora-tool: " << base::TerminalSafe(e.file()) << ": " << base::TerminalSafe(e.problem())
            << '\n';
        return 1;
    } catch (const fs::filesystem_error& e) {
        err << "velmora-tool: " << shown << ": " << base::TerminalSafe(e.code().message()) << '\n';
        return 1;
    }
    out << "velmora-tool: a new project in " << shown << "\n"
        << "Its walkthrough (" << shown << "/walkthrough.keys), won with\n"
        << "  velmora-tool check --strict --walk " << shown << "/walkthrough.keys " << shown << "\n\n"
        << StarterWalkthrough();
    return 0;
}

}  // namespace velmora::tool

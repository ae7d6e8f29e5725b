// A small clean project the checker's cases write into a temporary folder,
// and the lines they change in it; what to look for in a report.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "check/check.h"
#include "check/report.h"
#include "unit/test_folder.h"

namespace velmora::check::test {

using Lines = std::vector<std::string>;

inline std::string Ru(const std::string& utf8) {
    return base::Utf8ToCp1251(utf8);
}

inline std::string Join(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The lines with `line` put in place of the line of the same name, or added.
inline Lines With(Lines lines, const std::string& line) {
    const std::string name = line.substr(0, line.find('=') + 1);
    for (std::string& l : lines) {
        if (l.rfind(name, 0) == 0) {
            l = line;
            return lines;
        }
    }
    lines.push_back(line);
    return lines;
}

inline Lines GameLines() {
    Lines lines;
    for (const char* list :
         {"NotInter", "NotExam", "Death", "ITake", "IDrop", "NoTake", "NoDrop", "NoSpeak", "NoGo",
          "IHaveNot", "ICant", "ICantTake", "TooHavy", "StdRest", "LongRest"}) {
        lines.push_back(std::string("Game") + list + "Cnt=1");
        lines.push_back(std::string("Game") + list + "0=" + Ru("Текст."));
    }
    lines.push_back("GameIntrosCnt=1");
    lines.push_back("GameIntros0=" + Ru("Давно.") +
                    "\\n#image intro.gif\\n#page 3\\n#snd bell.wav");
    lines.push_back("GameInitHealth=10");
    lines.push_back("GameGoDecHealth=1");
    return lines;
}

inline Lines Map1Lines() {
    return {
        "MapTitle=Test",
        "MapScrCount=2",
        "Scr0no=0",
        "Scr0x=0",
        "Scr0y=0",
        "Scr0Title=Gate",
        "Scr0DescrCnt=1",
        "Scr0Descr0=Gate.",
        "Scr0North=-1",
        "Scr0South=-2",
        "Scr0East=1",
        "Scr0West=-2",
        "Scr0MessagesCnt=1",
        "Scr0Messages0=" + Ru("Привет."),
        "Scr0ScriptsCnt=1",
        "Scr0Scripts0=say " + Ru("Скрипт."),
        "Scr0OnEnter=if carry key\\nif curss 1\\nsay A\\nsay B\\nendif\\nelse\\nmes 1\\nendif\\n"
        "  if done 0\\ncall 1\\nendif\\nsnd bell.wav",
        "Scr1no=1",
        "Scr1x=0",
        "Scr1y=1",
        "Scr1Title=Yard",
        "Scr1DescrCnt=1",
        "Scr1Descr0=Yard.",
        "Scr1North=-2",
        "Scr1South=-1",
        "Scr1East=-2",
        "Scr1West=0",
        "MapObjCount=1",
        "Obj0no=0",
        "Obj0Title=key",
        "Obj0ScrWhere=0",
        "Obj0Visible=1",
        "Obj0Takable=1",
        "Obj0OnTake=show key\\nopen n\\nclose " + Ru("юг"),
        "MapCmdCount=1",
        "Cmd0no=0",
        "Cmd0Title=Open",
        "Cmd0cScr=1",
        "Cmd0cObj1=0",
        "Cmd0cObj2=0",
        "Cmd0MaxOnce=1",
        "Cmd0Enabled=1",
        "Cmd0list->Text=say done\\nmap 1\\n",
    };
}

inline Lines Map2Lines() {
    return {
        "MapTitle=Cellar", "MapScrCount=2",      "Scr0no=0",      "Scr0Title=Stairs",
        "Scr0DescrCnt=1",  "Scr0Descr0=Stairs.", "Scr0North=-2",  "Scr0South=-2",
        "Scr0East=1",      "Scr0West=-2",        "Scr1no=1",      "Scr1Title=Cellar",
        "Scr1DescrCnt=1",  "Scr1Descr0=Cellar.", "Scr1North=-2",  "Scr1South=-2",
        "Scr1East=-2",     "Scr1West=0",         "MapObjCount=0", "MapCmdCount=0",
        // The screens show pictures of their own, not map 1's at their places.
        "Scr0OnEnter=frame 1", "Scr1OnEnter=frame 1",
    };
}

class CheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Write("game.ini", GameLines());
        Write("map1.ini", Map1Lines());
        Write("map2.ini", Map2Lines());
        for (const char* file : {"gif/0.gif", "gif/1.gif", "gif/0-1.gif", "gif/1-1.gif",
                                 "gif/intro.gif", "menu.mid", "map1.mid",
                                 "Snd/bell.wav", "menu.txt", "gmenu.txt"}) {
            dir.Write(file, "x");
        }
    }
    void Write(const std::string& name, const Lines& lines) const { dir.Write(name, Join(lines)); }
    void Map1(const std::string& line) const { Write("map1.ini", With(Map1Lines(), line)); }

    Report Run(const std::filesystem::path& media = {}) const {
        Report report;
        CheckProject(dir.path(), report, media);
        return report;
    }

    velmora::test::TestFolder dir;
};

inline std::string Text(const Report& report) {
    std::string text;
    for (const Finding& f : report.findings()) text += Report::Line(f) + "\n";
    return text;
}

// The one finding of that severity and key whose problem holds `part`.
inline bool Has(const Report& report, Severity severity, const std::string& key, const std::string& part) {
    for (const Finding& f : report.findings()) {
        if (f.severity == severity && f.key == key && f.problem.find(part) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace velmora::check::test

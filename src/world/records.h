// The records of a loaded adventure: the map with its screens, objects and
// commands, the game-wide messages, and the hero. Texts are code page 1251.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora::world {

// An ordered list of texts with a pick cursor (-1 before the first pick).
struct MessageList {
    int32_t cursor = -1;
    std::vector<std::string> lines;

    void Clear() {
        cursor = -1;
        lines.clear();
    }
};

struct MObj;
struct MScript;

// Exit values of a screen besides a position in the screen list.
inline constexpr int32_t kExitNone = -2;
inline constexpr int32_t kExitByGrid = -1;

struct MScreen {
    int32_t no = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t ScrFrame = 0;
    int32_t State = 0;
    std::string Title;
    MessageList Descr;
    int32_t North = kExitByGrid;
    int32_t South = kExitByGrid;
    int32_t East = kExitByGrid;
    int32_t West = kExitByGrid;
    std::string DieOnRest;
    std::vector<MObj*> objectsHere;  // derived by PlaceObjects
    std::string AltN;
    std::string AltS;
    std::string AltW;
    std::string AltE;
    MessageList RestMessage;
    MessageList Messages;
    MessageList Scripts;
    int32_t DescrOnState = 0;
    std::string OnAnyAct;
    std::string OnRest;
    std::string OnGo;
    std::string OnSpeak;
    std::string OnEnter;
};

// Where an object is, besides the number of a screen.
inline constexpr int32_t kCarried = -1;
inline constexpr int32_t kNowhere = -2;

struct MObj {
    std::string Title;
    MessageList Descr;
    int32_t DescrOnState = 1;
    std::vector<MScript*> objectCommands;  // derived by AttachCommands
    int32_t no = 0;
    int32_t ScrWhere = kNowhere;
    int32_t Takable = 1;
    int32_t Weight = 1;
    int32_t Visible = 0;
    int32_t NotExam = 0;
    int32_t State = 0;
    std::string OnExam;
    std::string OnDrop;
    std::string OnTake;
};

// A special command; the same record runs scripts for the rules.
struct MScript {
    int32_t no = 0;
    std::string Title;
    std::string Message;
    int32_t cScr = -1;
    int32_t cObj1 = -1;
    int32_t cObj2 = -1;
    int32_t cObj1Carry = 1;
    int32_t cObj2Carry = 0;
    int32_t MaxOnce = 1;
    int32_t Enabled = 1;
    int32_t used = 0;
    std::vector<std::string> script;
};

struct MMap {
    int32_t ScrCount = 0;
    int32_t ScrMaxNumber = 0;
    int32_t StartScr = 0;
    int32_t ObjCount = 0;
    int32_t ObjMaxNumber = 0;
    int32_t CmdCount = 0;
    int32_t CmdMaxNumber = 0;
    int32_t mapIndex = 0;
    // Records are held by pointer so that derived lists stay valid when the
    // lists move (a load fills new lists, then moves them in).
    std::vector<std::unique_ptr<MScreen>> screens;
    std::vector<std::unique_ptr<MObj>> objects;
    std::vector<std::unique_ptr<MScript>> commands;
    int32_t gridMinX = 0;
    int32_t gridMaxX = 0;
    int32_t gridMinY = 0;
    int32_t gridMaxY = 0;
    int32_t gridWidth = 0;
    int32_t gridHeight = 0;
    std::vector<int32_t> grid;  // empty: no grid
    std::string Title;
    std::string Author = "Velmora";
    std::string FirstMessage;
};

struct MGame {
    MessageList NotInter;
    MessageList Ok;
    MessageList IHaveNot;
    MessageList ICant;
    MessageList TooHavy;
    MessageList ITake;
    MessageList IDrop;
    MessageList NoSpeak;
    MessageList NoGo;
    MessageList NoTake;
    MessageList NoDrop;
    MessageList ICantTake;
    MessageList StdRest;
    MessageList NotExam;
    MessageList Death;
    MessageList Intros;
    MessageList LongRest;
    int32_t InitHealth = 50;
    int32_t GoDecHealth = 0;
    int32_t RestIncHealth = 0;
    int32_t RestDecHealth = 0;
};

struct THero {
    MScreen* currentScreen = nullptr;
    std::vector<MObj*> carried;  // derived by PlaceObjects, kept by the rules
    int32_t BagFull = 0;
    int32_t Health = 0;
    int32_t Level = 0;
    int32_t fRest = 0;
    std::string LastMessage;
    int32_t CurScrNo = 0;
};

// The rules' run-time variables that a saved state carries.
struct RuleVariables {
    int32_t glob_forced = 0;
    int32_t glob_goingto = -1;
    int32_t glob_waited_act = 0;
    std::string glob_waited_act_cmd;
};

}  // namespace velmora::world

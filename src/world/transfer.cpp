#include "world/transfer.h"

#include <algorithm>

#include "base/file_error.h"

namespace velmora::world {
namespace {

void TransferExits(MScreen& s, KeyAccessor& keys) {
    keys.Int("North", s.North);
    keys.Int("South", s.South);
    keys.Int("East", s.East);
    keys.Int("West", s.West);
}

const char* RecordWord(const std::string& section) {
    if (section == "Scr") return "экранов";
    if (section == "Obj") return "предметов";
    return "команд";
}

// One list of records: its count, the author's highest number (project
// only), then the records, created by a project read and updated in place
// otherwise.
template <typename Record, typename TransferOne>
void TransferRecords(std::vector<std::unique_ptr<Record>>& records, const std::string& section,
                     int32_t& count, int32_t& maxNumber, KeyAccessor& keys, bool stateOnly,
                     TransferOne transferOne) {
    const bool projectRead = !keys.writing() && !stateOnly;
    const bool stateRead = !keys.writing() && stateOnly;
    const int32_t before = count;
    keys.currentSection = "Map";
    keys.Count(section + "Count", count);
    if (!stateOnly) keys.Int(section + "MaxNumber", maxNumber);
    if (stateRead && count > static_cast<int64_t>(records.size())) {
        throw base::FileError(keys.fileName(), "в сохранённой игре " + std::string(RecordWord(section)) +
                                                   " " + std::to_string(count) +
                                                   ", а на карте только " +
                                                   std::to_string(records.size()));
    }
    const int64_t n = keys.writing() ? std::min<int64_t>(count, records.size()) : count;
    for (int64_t i = 0; i < n; ++i) {
        keys.currentSection = section + std::to_string(i);
        if (projectRead) {
            auto record = std::make_unique<Record>();
            transferOne(*record, keys, stateOnly);
            records.push_back(std::move(record));
        } else {
            transferOne(*records[static_cast<size_t>(i)], keys, stateOnly);
        }
    }
    if (stateRead) count = before;  // the saved count only drives the loop
}

}  // namespace

void TransferScreen(MScreen& s, KeyAccessor& keys, bool stateOnly) {
    if (stateOnly) {
        keys.Int("State", s.State);
        keys.Int("ScrFrame", s.ScrFrame);
        keys.Int("Descr.notfirst", s.Descr.cursor);
    } else {
        keys.Int("no", s.no);
        keys.Int("x", s.x);
        keys.Int("y", s.y);
        keys.Text("Title", s.Title);
        keys.Text("DieOnRest", s.DieOnRest);
        keys.Text("AltN", s.AltN);
        keys.Text("AltS", s.AltS);
        keys.Text("AltW", s.AltW);
        keys.Text("AltE", s.AltE);
        keys.List("Descr", s.Descr);
        keys.Int("DescrOnState", s.DescrOnState);
        keys.List("RestMessage", s.RestMessage);
        keys.List("Messages", s.Messages);
        keys.List("Scripts", s.Scripts);
        keys.Text("OnAnyAct", s.OnAnyAct);
        keys.Text("OnRest", s.OnRest);
        keys.Text("OnGo", s.OnGo);
        keys.Text("OnSpeak", s.OnSpeak);
        keys.Text("OnEnter", s.OnEnter);
    }
    TransferExits(s, keys);
}

void TransferObject(MObj& o, KeyAccessor& keys, bool stateOnly) {
    if (stateOnly) {
        keys.Int("NotExam", o.NotExam);
        keys.Int("State", o.State);
    } else {
        keys.Int("no", o.no);
        keys.Text("Title", o.Title);
        keys.List("Descr", o.Descr);
        keys.Int("DescrOnState", o.DescrOnState);
        keys.Text("OnExam", o.OnExam);
        keys.Text("OnDrop", o.OnDrop);
        keys.Text("OnTake", o.OnTake);
    }
    keys.Int("ScrWhere", o.ScrWhere);
    keys.Int("Takable", o.Takable);
    keys.Int("Visible", o.Visible);
    keys.Int("Weight", o.Weight);
}

void TransferCommand(MScript& c, KeyAccessor& keys, bool stateOnly) {
    if (stateOnly) {
        keys.Int("used", c.used);
    } else {
        keys.Int("no", c.no);
        keys.Int("cScr", c.cScr);
        keys.Int("cObj1", c.cObj1);
        keys.Int("cObj2", c.cObj2);
        keys.Int("cObj1Carry", c.cObj1Carry);
        keys.Int("cObj2Carry", c.cObj2Carry);
        keys.Int("MaxOnce", c.MaxOnce);
        keys.Text("Title", c.Title);
        keys.Text("Message", c.Message);
        keys.WholeText("list->Text", c.script);
    }
    keys.Int("Enabled", c.Enabled);
}

void TransferMapFile(MMap& map, RuleVariables& vars, KeyAccessor& keys, bool stateOnly) {
    keys.currentSection = "Map";
    if (stateOnly) {
        keys.Int("glob_forced", vars.glob_forced);
        keys.Int("glob_goingto", vars.glob_goingto);
        keys.Int("glob_waited_act", vars.glob_waited_act);
        keys.Text("glob_waited_act_cmd", vars.glob_waited_act_cmd);
    } else {
        keys.Int("StartScr", map.StartScr);
        keys.Text("Title", map.Title);
        keys.Text("Author", map.Author);
        keys.Text("FirstMessage", map.FirstMessage);
    }
    TransferRecords(map.screens, "Scr", map.ScrCount, map.ScrMaxNumber, keys, stateOnly,
                    TransferScreen);
    TransferRecords(map.objects, "Obj", map.ObjCount, map.ObjMaxNumber, keys, stateOnly,
                    TransferObject);
    TransferRecords(map.commands, "Cmd", map.CmdCount, map.CmdMaxNumber, keys, stateOnly,
                    TransferCommand);
}

std::span<const GameListKey> GameListKeys() {
    static constexpr GameListKey kLists[] = {
        {"NotInter", &MGame::NotInter},   {"NotExam", &MGame::NotExam},
        {"Death", &MGame::Death},         {"Intros", &MGame::Intros},
        {"Ok", &MGame::Ok},               {"ITake", &MGame::ITake},
        {"IDrop", &MGame::IDrop},         {"NoTake", &MGame::NoTake},
        {"NoDrop", &MGame::NoDrop},       {"NoSpeak", &MGame::NoSpeak},
        {"NoGo", &MGame::NoGo},           {"IHaveNot", &MGame::IHaveNot},
        {"ICant", &MGame::ICant},         {"ICantTake", &MGame::ICantTake},
        {"TooHavy", &MGame::TooHavy},     {"StdRest", &MGame::StdRest},
        {"LongRest", &MGame::LongRest},
    };
    return kLists;
}

void TransferGameSection(MGame& g, KeyAccessor& keys) {
    keys.currentSection = "Game";
    for (const auto& [name, list] : GameListKeys()) keys.List(name, g.*list);
    keys.Int("InitHealth", g.InitHealth);
    keys.Int("GoDecHealth", g.GoDecHealth);
    keys.Int("RestIncHealth", g.RestIncHealth);
    keys.Int("RestDecHealth", g.RestDecHealth);
}

void TransferHero(THero& h, KeyAccessor& keys) {
    keys.currentSection = "Hero";
    keys.Int("Health", h.Health);
    keys.Int("BagFull", h.BagFull);
    keys.Int("Level", h.Level);
    keys.Int("CurScrNo", h.CurScrNo);
    keys.Int("fRest", h.fRest);
    keys.Text("LastMessage", h.LastMessage);
}

}  // namespace velmora::world

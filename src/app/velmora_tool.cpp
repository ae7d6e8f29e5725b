// velmora-tool: the adventure authors' tools.
//   velmora-tool scramble FILE     the file's bytes scrambled, to standard output
//   velmora-tool unscramble FILE   the file's plain bytes, to standard output
//   velmora-tool info DIR          what the project in DIR holds
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "world/game_files.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

int Usage() {
    std::cerr << "usage: velmora-tool scramble FILE\n"
                 "       velmora-tool unscramble FILE\n"
                 "       velmora-tool info DIR\n";
    return 2;
}

void WriteOut(const std::string& bytes) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
}

// The numbers k of the files map<k>.ini in dir, any letter case, ascending.
std::vector<int32_t> MapNumbers(const fs::path& dir) {
    std::vector<int32_t> numbers;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name.size() <= 7 || name.rfind("map", 0) != 0 ||
            name.substr(name.size() - 4) != ".ini") {
            continue;
        }
        const std::string digits = name.substr(3, name.size() - 7);
        if (digits.empty() || digits[0] == '0' ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        const int32_t k = world::ParseInt32(digits, 0);
        if (k > 0) numbers.push_back(k);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

int Info(const fs::path& dir) {
    world::GameProject gp;
    gp.folders.program = dir;
    gp.folders.state = dir;
    const std::vector<int32_t> maps = MapNumbers(dir);
    bool first = true;
    std::vector<std::string> lines;
    for (int32_t k : maps.empty() ? std::vector<int32_t>{1} : maps) {
        gp.map.mapIndex = k - 1;
        if (!world::LoadProject(gp)) {
            throw base::FileError(base::DisplayPath(dir / "game.ini"), "нет такого файла");
        }
        if (!world::LinkWorld(gp.map, gp.hero)) {
            std::cerr << "warning: map" << k << ".ini: the screens' coordinates span "
                      << gp.map.gridWidth << " x " << gp.map.gridHeight
                      << " cells, more than " << world::kMaxGridCells
                      << "; exits through the grid lead nowhere\n";
        }
        if (first) {
            lines.push_back("title: " + base::Cp1251ToUtf8(gp.map.Title));
            lines.push_back("author: " + base::Cp1251ToUtf8(gp.map.Author));
            first = false;
        }
        if (maps.empty()) break;
        lines.push_back("map " + std::to_string(k) + ": screens " +
                        std::to_string(gp.map.screens.size()) + ", objects " +
                        std::to_string(gp.map.objects.size()) + ", commands " +
                        std::to_string(gp.map.commands.size()) + ", grid " +
                        std::to_string(gp.map.gridWidth) + " x " +
                        std::to_string(gp.map.gridHeight));
    }
    for (const std::string& line : lines) std::cout << line << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Usage();
    const std::string verb = argv[1];
    const fs::path arg = argv[2];
    try {
        if (verb == "scramble") {
            const std::string bytes = base::ReadWholeFile(arg);
            WriteOut(world::IsPlainKeyLines(bytes) ? world::Scramble(bytes) : bytes);
        } else if (verb == "unscramble") {
            const std::string bytes = base::ReadWholeFile(arg);
            WriteOut(world::IsPlainKeyLines(bytes) ? bytes : world::Scramble(bytes));
        } else if (verb == "info") {
            return Info(arg);
        } else {
            return Usage();
        }
    } catch (const base::FileError& e) {
        std::cerr << "error: " << e.file() << ": " << e.problem() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "error: " << arg.string() << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}

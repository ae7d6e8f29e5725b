#include "app/tool_commands.h"

#include <exception>
#include <filesystem>
#include <iostream>

#include "app/tool_new.h"
#include "app/tool_pack.h"
#include "app/tool_web.h"
#include "base/cp1251.h"
#include "base/file_error.h"
#include "base/terminal_text.h"

namespace fs = std::filesystem;

namespace velmora::tool {
namespace {

int Wrong(const std::string& problem) {
    std::cerr << "velmora-tool: " << base::TerminalSafe(problem) << "; try 'velmora-tool --help'\n";
    return 2;
}

bool IsProject(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::cerr << "velmora-tool: " << base::TerminalSafe(dir.string()) << ": no such folder\n";
        return false;
    }
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        if (base::LowerAscii(e.path().filename().string()) == "game.ini") return true;
    }
    std::cerr << "velmora-tool: " << base::TerminalSafe(dir.string())
              << ": no game.ini here; a project is a folder under Projects/ of a game\n";
    return false;
}

int Dispatch(const std::string& verb, int argc, char** argv) {
    if (verb == "new") {
        if (argc != 3) return Wrong("new needs one folder");
        return NewProject(argv[2], std::cout, std::cerr);
    }
    if (verb == "pack") {
        if (argc != 3 && argc != 4) return Wrong("pack needs a project folder and at most a zip name");
        if (!IsProject(argv[2])) return 2;
        return PackProject(argv[2], argc == 4 ? fs::path(argv[3]) : fs::path(), std::cout, std::cerr);
    }
    fs::path page;
    int at = 2;
    if (argc > 3 && std::string(argv[2]) == "--page") {
        page = argv[3];
        at = 4;
    }
    if (argc - at != 2) return Wrong("web needs a project folder and the site's folder");
    if (!IsProject(argv[at])) return 2;
    return WebSite(argv[at], argv[at + 1], page, std::cout, std::cerr);
}

}  // namespace

int AuthorCommand(const std::string& verb, int argc, char** argv) {
    if (verb != "new" && verb != "pack" && verb != "web") return -1;
    try {
        return Dispatch(verb, argc, argv);
    } catch (const base::FileError& e) {
        std::cerr << "velmora-tool: " << base::TerminalSafe(e.file()) << ": "
                  << base::TerminalSafe(e.problem()) << '\n';
    } catch (const fs::filesystem_error& e) {
        std::cerr << "velmora-tool: " << base::TerminalSafe(e.path1().string()) << ": "
                  << base::TerminalSafe(e.code().message()) << '\n';
    } catch (const std::exception& e) {
        std::cerr << "velmora-tool: " << base::TerminalSafe(e.what()) << '\n';
    }
    return 1;
}

}  // namespace velmora::tool

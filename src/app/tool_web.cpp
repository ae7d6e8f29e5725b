#include "app/tool_web.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "app/tool_pack.h"
#include "app/tool_sha256.h"
#include "base/cp1251.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/terminal_text.h"

extern char** environ;

namespace fs = std::filesystem;

namespace velmora::tool {
namespace {

std::string Shown(const fs::path& p) { return base::TerminalSafe(base::DisplayPath(p)); }

// What a built page holds; a folder without one of them is no page.
bool IsPage(const fs::path& dir) {
    std::error_code ec;
    for (const char* f : {"index.html", "velmora.js", "velmora.wasm", "velmora.data", "js/page.js"}) {
        if (!fs::is_regular_file(dir / f, ec)) return false;
    }
    return true;
}

// Runs a program found on PATH with its output thrown away; its exit status,
// or -1 when it could not be started.
int Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t at = 0;
    while (at <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', at), dirs.size());
        const fs::path candidate = fs::path(dirs.substr(at, end - at)) / program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        at = end + 1;
    }
    return false;
}

// The sound font the desktop plays MIDI with, in its own order.
fs::path SoundFont() {
    std::error_code ec;
    for (const char* f : {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                          "/usr/share/sounds/sf2/default-GM.sf2"}) {
        if (fs::is_regular_file(f, ec)) return f;
    }
    return {};
}

// The project's top-level *.mid (any letter case), sorted.
std::vector<fs::path> Tunes(const fs::path& dir) {
    std::vector<fs::path> tunes;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const std::string ext = base::LowerAscii(e.path().extension().string());
        if (ext == ".mid" && e.is_regular_file(ec) && !e.is_symlink(ec)) tunes.push_back(e.path());
    }
    std::sort(tunes.begin(), tunes.end());
    return tunes;
}

// Renders every tune as the shipped site's music is (scripts/render-web-music:
// FluidSynth at the gain SDL_mixer gives it, 44100 Hz, then LAME -V 5), into
// music/BASE.mp3; false (and said) when the tools are missing or one fails.
bool RenderMusic(const fs::path& dir, const fs::path& site, std::ostream& err) {
    const std::vector<fs::path> tunes = Tunes(dir);
    if (tunes.empty()) return true;
    const fs::path font = SoundFont();
    if (!OnPath("fluidsynth") || !OnPath("lame") || font.empty()) {
        err << "velmora-tool: warning: fluidsynth, lame or a GM sound font "
               "(timgm6mb-soundfont) is missing: the site plays the game's MIDI "
               "with the page's own synthesizer, where it has one\n";
        return false;
    }
    const fs::path music = site / "music";
    fs::create_directories(music);
    const fs::path wav = music / ".render.wav";
    const fs::path mp3 = music / ".render.mp3";
    for (const fs::path& tune : tunes) {
        // -f /dev/null: no user or system command file may change the sound.
        const int synth = Run({"fluidsynth", "-ni", "-q", "-f", "/dev/null", "-g", "1.2", "-r", "44100",
                               "-O", "s16", "-T", "wav", "-F", wav.string(), font.string(), tune.string()});
        const int encode = synth == 0 ? Run({"lame", "--quiet", "-V", "5", wav.string(), mp3.string()}) : -1;
        std::error_code ec;
        fs::remove(wav, ec);
        if (synth != 0 || encode != 0) {
            fs::remove(mp3, ec);
            err << "velmora-tool: warning: " << Shown(tune) << ": "
                << (synth != 0 ? "FluidSynth could not render it" : "LAME could not encode it")
                << "; the site plays the game's MIDI with the page's own synthesizer\n";
            fs::remove_all(music, ec);
            return false;
        }
        fs::rename(mp3, music / (tune.stem().string() + ".mp3"));
    }
    return true;
}

// The zip's name on the site: the page takes only plain ASCII names.
std::string ZipName(const std::string& folder) {
    std::string name;
    for (unsigned char c : folder) {
        if ((c < 0x80 && std::isalnum(c) != 0) || c == '_' || c == '-') name += static_cast<char>(c);
    }
    const bool any = std::any_of(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
    return any ? name + ".zip" : "game.zip";
}

bool Inside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(fs::absolute(inner), ec);
    const fs::path b = fs::weakly_canonical(fs::absolute(outer), ec);
    const std::string rel = a.lexically_relative(b).generic_string();
    return !rel.empty() && !rel.starts_with("..");
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw base::FileError(base::DisplayPath(file), "не читается");
    return bytes;
}

// A path segment as encodeURIComponent writes it.
std::string UriComponent(const std::string& s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if ((c < 0x80 && std::isalnum(c) != 0) || std::string_view("-_.!~*'()").find(static_cast<char>(c)) != std::string_view::npos) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// The site's service worker with the list of files it keeps and the site's
// version, as scripts/web-offline writes it after a build: every file but
// sw.js and dot files, sorted, each with its SHA-256; what only a project's
// MIDI needs (js/vendor/, synth/) in the version but fetched when first used.
// The worker's code is the page's own sw.js with its list emptied again.
// False when the page's sw.js has no such list (then the site has none).
bool WriteWorker(const fs::path& site) {
    const fs::path worker = site / "sw.js";
    std::error_code ec;
    if (!fs::is_regular_file(worker, ec)) return false;
    std::string code = ReadAll(worker);
    const std::string head = "\nconst kSite = ";
    const size_t at = code.find(head);
    const size_t end = at == std::string::npos ? at : code.find('\n', at + 1);
    if (at == std::string::npos || end == std::string::npos || code[end - 1] != ';') return false;
    code.replace(at + 1, end - at - 1, "const kSite = { version: 'unbuilt', files: {} };");
    std::vector<std::string> files;
    for (auto it = fs::recursive_directory_iterator(site); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path().filename().string().starts_with(".")) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file()) files.push_back(it->path().lexically_relative(site).generic_string());
    }
    std::sort(files.begin(), files.end());
    std::string version = code;
    std::string kept;
    for (const std::string& file : files) {
        if (file == "sw.js") continue;
        const auto digest = Sha256(ReadAll(site / file));
        version += '\0';
        version += file;
        version += '\0';
        version.append(reinterpret_cast<const char*>(digest.data()), digest.size());
        if (file.starts_with("js/vendor/") || file.starts_with("synth/")) continue;
        // Appended piece by piece: GCC 12 at -O3 takes a literal chosen by ?:
        // and then added to for an overlapping copy (-Wrestrict).
        std::string url;
        for (const auto& part : fs::path(file)) {
            if (!url.empty()) url.push_back('/');
            url.append(UriComponent(part.string()));
        }
        kept.append(kept.empty() ? "\"" : ",\"").append(url).append("\":\"sha256-");
        kept.append(Base64(digest.data(), digest.size())).push_back('"');
    }
    const auto hash = Sha256(version);
    const std::string site_ = "const kSite = {\"version\":\"" + Hex(hash.data(), 8) + "\",\"files\":{" + kept + "}};";
    code.replace(at + 1, code.find('\n', at + 1) - at - 1, site_);
    base::WriteFileAtomic(worker, code);
    return true;
}

}  // namespace

std::vector<fs::path> PageCandidates() {
    std::vector<fs::path> out;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return out;
    const fs::path bin = exe.parent_path();
    out.push_back((bin / ".." / "share" / "velmora" / "web").lexically_normal());
    // A source checkout: the program in build/src/app, the page in build-web/site.
    fs::path up = bin;
    for (int i = 0; i < 4 && up.has_relative_path(); ++i) {
        up = up.parent_path();
        if (fs::is_regular_file(up / "scripts" / "build-web", ec)) {
            out.push_back(up / "build-web" / "site");
            break;
        }
    }
    return out;
}

int WebSite(const fs::path& dir, const fs::path& outDir, fs::path page, std::ostream& out,
            std::ostream& err) {
    if (page.empty()) {
        const std::vector<fs::path> candidates = PageCandidates();
        for (const fs::path& c : candidates) {
            if (IsPage(c)) {
                page = c;
                break;
            }
        }
        if (page.empty()) {
            err << "velmora-tool: the built web page is missing; looked in";
            for (const fs::path& c : candidates) err << ' ' << Shown(c);
            err << ".\nInstall the package's page, or build it with scripts/build-web in a source "
                   "checkout, or name a built site with --page SITE\n";
            return 1;
        }
    } else if (!IsPage(page)) {
        err << "velmora-tool: " << Shown(page)
            << ": no built web page here (index.html, velmora.js, velmora.wasm, velmora.data, js/)\n";
        return 2;
    }
    std::error_code ec;
    if (fs::exists(outDir, ec) && !fs::is_empty(outDir, ec) && !IsPage(outDir)) {
        err << "velmora-tool: " << Shown(outDir)
            << ": the folder is not empty and holds no site web wrote; web writes into a new or empty "
               "folder, or over its own earlier site\n";
        return 2;
    }
    if (Inside(outDir, dir) || Inside(outDir, page) || Inside(page, outDir) || Inside(dir, outDir)) {
        err << "velmora-tool: " << Shown(outDir)
            << ": the site cannot lie inside the project or the page, nor hold them\n";
        return 2;
    }
    const std::string folder = FolderName(dir);
    if (const int status = CheckBeforeSharing(dir, err, "no site written")) return status;
    const std::vector<ZipEntry> entries = ProjectEntries(dir, folder, err);

    fs::create_directories(outDir);
    // The shipped game's music and the site's earlier game go; the page's
    // files are copied over.
    fs::remove_all(outDir / "music");
    for (const auto& e : fs::directory_iterator(outDir)) {
        if (e.path().extension() == ".zip") fs::remove(e.path());
    }
    for (auto it = fs::recursive_directory_iterator(page); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path rel = it->path().lexically_relative(page);
        const std::string first = rel.begin()->string();
        // The shipped music is not this game's.
        if (first == "music" || first.starts_with(".")) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory()) {
            fs::create_directories(outDir / rel);
        } else if (it->is_regular_file()) {
            fs::copy_file(it->path(), outDir / rel, fs::copy_options::overwrite_existing);
        }
    }
    const std::string zipName = ZipName(folder);
    base::WriteFileAtomic(outDir / zipName, WriteZip(entries));
    const bool rendered = RenderMusic(dir, outDir, err) && !Tunes(dir).empty();

    std::ifstream in(page / "index.html", std::ios::binary);
    std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string tag = "<html lang=\"ru\">";
    const size_t at = html.find(tag);
    if (at == std::string::npos) {
        err << "velmora-tool: " << Shown(page / "index.html") << ": no " << tag << " line to name the game in\n";
        return 1;
    }
    std::string named = "<html lang=\"ru\" data-game=\"" + zipName + "\"";
    if (rendered) named += " data-music=\"rendered\"";
    named += ">";
    html.replace(at, tag.size(), named);
    base::WriteFileAtomic(outDir / "index.html", html);
    // Last, as it hashes every file above. The worker of the page copied
    // lists the shipped site's files: kept, it would refuse this site's.
    if (!WriteWorker(outDir)) {
        fs::remove(outDir / "sw.js", ec);
        err << "velmora-tool: warning: " << Shown(page / "sw.js")
            << ": no list of kept files in it; the site plays online only\n";
    }
    out << "velmora-tool: a site in " << Shown(outDir) << " plays " << zipName << " (" << entries.size()
        << " files" << (rendered ? ", its music rendered to music/" : "") << "); the page from "
        << Shown(page) << "\n";
    return 0;
}

}  // namespace velmora::tool

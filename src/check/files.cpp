#include "check/files.h"

#include <algorithm>
#include <system_error>
#include <unordered_map>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "base/terminal_text.h"
#include "world/key_access.h"

namespace fs = std::filesystem;

namespace velmora::check {
namespace {

// Problems of one kind in one file past this many are summed up in one line.
constexpr size_t kMaxPerKind = 10;

// True for text that is valid UTF-8 with at least one letter beyond ASCII:
// a 1251 text of Russian words almost never is.
bool LooksLikeUtf8(std::string_view text) {
    // One decoder for the whole program: overlong forms, surrogates and
    // code points past U+10FFFF are not UTF-8, so a 1251 line that happens to
    // read as one of them is not called UTF-8.
    size_t multi = 0;
    while (!text.empty()) {
        const size_t length = base::ValidUtf8Length(text);
        if (length == 0) return false;
        if (length > 1) ++multi;
        text.remove_prefix(length);
    }
    return multi > 0;
}

}  // namespace

std::vector<int32_t> MapNumbers(const fs::path& dir) {
    std::vector<int32_t> numbers;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = base::LowerAscii(it->path().filename().string());
        if (name.size() <= 7 || !name.starts_with("map") ||
            !name.ends_with(".ini")) {
            continue;
        }
        const std::string digits = name.substr(3, name.size() - 7);
        if (digits[0] == '0' || !std::all_of(digits.begin(), digits.end(),
                                             [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        const int32_t k = world::ParseInt32(digits, 0);
        if (k > 0) numbers.push_back(k);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::optional<fs::path> FindAnyEntry(const fs::path& dir, std::string_view name) {
    const std::string wanted = base::LowerAscii(std::string(name));
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (base::LowerAscii(it->path().filename().string()) == wanted) return it->path();
    }
    return std::nullopt;
}

std::optional<RawFile> ReadProjectFile(const fs::path& dir, std::string_view relative,
                                       Report& report) {
    // Through the game's own gate: what it refuses (a pipe, a device, a link
    // out of the project, a file past the cap) is refused here, unread.
    const base::GatedFile gated = base::GateFile(dir, relative, base::FileKind::Text);
    if (gated.Refused()) {
        report.Error(gated.error->file(), "", gated.error->problem());
        return std::nullopt;
    }
    if (!gated.Found()) {
        report.Error(base::DisplayPath(dir / std::string(relative)), "", "нет такого файла");
        return std::nullopt;
    }
    RawFile file{base::DisplayPath(gated.path), {}};
    try {
        file.bytes = base::ReadCheckedFile(gated.path, base::FileKind::Text);
    } catch (const base::FileError& e) {
        report.Error(file.name, "", e.problem());
        return std::nullopt;
    }
    return file;
}

bool CheckUtf8Lines(const std::string& fileName, std::string_view text, Report& report) {
    // Line by line: an author may paste one UTF-8 line into a 1251 file.
    const std::vector<std::string> lines = world::SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!LooksLikeUtf8(lines[i])) continue;
        report.Error(fileName, "",
                     "строка " + std::to_string(i + 1) +
                         " в UTF-8, а остальной файл в кодировке 1251: игра прочтёт файл как "
                         "1251, и в этой строке русские буквы будут искажены; сохраните весь "
                         "файл в одной кодировке");
        return true;
    }
    return false;
}

std::optional<std::string> CheckFileBytes(const RawFile& file, Report& report) {
    const std::string& bytes = file.bytes;
    if (bytes.empty()) {
        report.Error(file.name, "", "файл пуст");
        return std::string();
    }
    const bool bom = world::StartsWithUtf8Mark(bytes);
    // With a byte-order mark the game reads the file as plain whatever its
    // first line (a comment, say); without one, only a key line tells it so.
    if (!bom && !world::IsPlainKeyLines(world::PlainKeyLines(bytes))) {
        report.Error(file.name, "",
                     "файл не начинается ни с Game, ни с Map, ни с Hero ни открытым текстом, ни "
                     "зашифрованным: игра расшифрует его в мусор");
        return std::nullopt;
    }
    // Read as the game reads it: a file the game refuses is that one error.
    world::ProjectKeyLines decoded;
    try {
        decoded = world::DecodeProjectKeyLines(bytes, file.name);
    } catch (const base::FileError& e) {
        report.Error(e.file(), "", e.problem());
        return std::nullopt;
    }
    const std::string read = decoded.scrambled ? world::Scramble(bytes) : std::string();
    const std::string_view whole = decoded.scrambled ? std::string_view(read) : std::string_view(bytes);
    const size_t zero = whole.find('\0');
    if (zero != std::string_view::npos) {
        report.Warning(
            file.name, "",
            "нулевой байт на позиции " + std::to_string(zero) + ": дальше игра файл не читает");
    }
    if (!decoded.wasUtf8 && CheckUtf8Lines(file.name, decoded.text, report)) return std::nullopt;
    // The game writes every line with its line end; a scrambled file that
    // stops in mid-line has been cut off.
    const std::string_view used = decoded.text;
    if (decoded.scrambled && zero == std::string_view::npos && !used.empty() &&
        used.back() != '\n' && used.back() != '\r') {
        const size_t start = used.find_last_of("\r\n");
        const std::string_view last = used.substr(start == std::string_view::npos ? 0 : start + 1);
        report.Warning(file.name, "",
                       "зашифрованный файл обрывается посреди строки «" +
                           base::Cp1251ToUtf8(last.substr(0, 40)) + "»: возможно, он обрезан");
    }
    return std::move(decoded.text);
}

void CheckLineNames(const world::TMyIniList& lines, const std::string& fileName, Report& report) {
    std::unordered_map<std::string, size_t> first;
    size_t withoutEq = 0;
    size_t firstWithoutEq = 0;
    size_t repeated = 0;
    for (size_t i = 0; i < lines.LineCount(); ++i) {
        const std::string_view line = lines.Line(i);
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            // Blank lines and an author's comments («; ...»), which the game
            // skips as it skips every line without «=».
            const std::string_view text = base::TrimBlanks(line);
            if (text.empty() || text.front() == ';') continue;
            if (withoutEq++ == 0) firstWithoutEq = i;
            continue;
        }
        const std::string_view name = line.substr(0, eq);
        const auto [at, fresh] = first.emplace(base::LowerText1251(name), i);
        if (fresh) continue;
        if (++repeated <= kMaxPerKind) {
            report.Warning(fileName, base::Cp1251ToUtf8(name),
                           "строка повторяется (строки " + std::to_string(at->second + 1) + " и " +
                               std::to_string(i + 1) + "): игра берёт первую");
        }
    }
    if (repeated > kMaxPerKind) {
        report.Warning(fileName, "",
                       "ещё " + std::to_string(repeated - kMaxPerKind) + " повторённых строк");
    }
    if (withoutEq > 0) {
        report.Warning(fileName, "",
                       "строка " + std::to_string(firstWithoutEq + 1) + " " +
                           (withoutEq > 1 ? "и ещё " + std::to_string(withoutEq - 1) + " " : "") +
                           "без знака «=»: игра их пропускает");
    }
}

}  // namespace velmora::check

#include "base/paths.h"

#include <algorithm>
#include <system_error>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/utf8.h"

namespace fs = std::filesystem;

namespace velmora::base {
namespace {

// The entry of dir named `name1251`: exact first, else without regard to case.
std::optional<fs::path> FindEntry(const fs::path& dir, const std::string& name1251) {
    const fs::path exact = dir / PathOf1251(name1251);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
    std::vector<fs::path> matches;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string utf8 = it->path().filename().string();
        if (!FitsCp1251(utf8)) continue;
        if (EqualsNoCase1251(Utf8ToCp1251(utf8), name1251)) matches.push_back(it->path());
    }
    if (matches.empty()) return std::nullopt;
    // Several spellings of one name: take the same one every time.
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::optional<std::vector<std::string>> SplitRelativePath(std::string_view path) {
    std::vector<std::string> parts;
    if (!path.empty() && (path.front() == '\\' || path.front() == '/')) return std::nullopt;
    std::string part;
    auto flush = [&]() -> bool {
        if (part == "..") return false;
        if (part.size() >= 2 && part[1] == ':') return false;  // a drive letter
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
        return true;
    };
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!flush()) return std::nullopt;
        } else if (c == '\0') {
            return std::nullopt;
        } else {
            part.push_back(c);
        }
    }
    if (!flush()) return std::nullopt;
    return parts;
}

std::optional<fs::path> FindPath(const fs::path& root, std::string_view relative) {
    auto found = FindEntryPath(root, relative);
    if (!found) return found;
    // Only files and folders: whoever opens a pipe or a device by this
    // name would wait for a writer or read without end.
    std::error_code ec;
    const fs::file_type type = fs::status(*found, ec).type();
    if (type == fs::file_type::fifo || type == fs::file_type::socket ||
        type == fs::file_type::character || type == fs::file_type::block) {
        return std::nullopt;
    }
    return found;
}

std::optional<fs::path> FindEntryPath(const fs::path& root, std::string_view relative) {
    auto parts = SplitRelativePath(relative);
    if (!parts) return std::nullopt;
    fs::path at = root;
    for (const std::string& part : *parts) {
        auto next = FindEntry(at, part);
        if (!next) return std::nullopt;
        at = std::move(*next);
    }
    return at;
}

std::optional<fs::path> PathForWriting(const fs::path& root, std::string_view relative) {
    auto parts = SplitRelativePath(relative);
    if (!parts) return std::nullopt;
    fs::path at = root;
    bool found = true;
    for (const std::string& part : *parts) {
        std::optional<fs::path> next;
        if (found) next = FindEntry(at, part);
        if (next) {
            at = std::move(*next);
        } else {
            found = false;
            at /= PathOf1251(part);
        }
    }
    return at;
}

std::string DisplayPath(const fs::path& path) { return path.lexically_normal().string(); }

fs::path PathOf1251(std::string_view name1251) { return fs::path(ToUtf8(name1251).str()); }

std::string NameOf(const fs::path& path) { return ToCp1251(Utf8(path.string())); }

}  // namespace velmora::base

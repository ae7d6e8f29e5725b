#include "talkui/folder_reader.h"

#include <algorithm>
#include <system_error>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/project_file.h"
#include "base/paths.h"

namespace fs = std::filesystem;

namespace velmora::talkui {
namespace {

std::vector<std::string> Components(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Mask matching without regard to case, over a table of positions.
bool GlobMatch(std::string_view mask, std::string_view name) {
    std::vector<char> row(name.size() + 1, 0), next(name.size() + 1, 0);
    row[0] = 1;
    for (const char m : mask) {
        std::fill(next.begin(), next.end(), 0);
        if (m == '*') {
            char any = 0;
            for (size_t j = 0; j <= name.size(); ++j) {
                any = any || row[j];
                next[j] = any;
            }
        } else {
            for (size_t j = 0; j < name.size(); ++j) {
                if (row[j] && (m == '?' || base::ToLower1251(m) == base::ToLower1251(name[j]))) {
                    next[j + 1] = 1;
                }
            }
        }
        row.swap(next);
    }
    return row[name.size()] != 0;
}

}  // namespace

std::string NormalisePath(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string ParentPrefix(std::string_view path) {
    if (path.size() < 2) return {};
    const size_t cut = path.rfind('/', path.size() - 2);
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

std::string LastComponent(std::string_view path) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    const size_t cut = path.rfind('/');
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string Extension(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return std::string(path.substr(dot));
}

fs::path ResolvePath(std::string_view path) {
    fs::path result = "/";
    for (const std::string& part : Components(path)) {
        const fs::path exact = result / base::PathOf1251(part);
        std::error_code ec;
        if (fs::exists(exact, ec)) {
            result = exact;
            continue;
        }
        fs::path found;
        fs::directory_iterator it(result, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            if (base::NameOf(it->path().filename()) == part) {
                found = it->path();
                break;
            }
        }
        result = found.empty() ? exact : found;
    }
    return result;
}

bool IsFolder(std::string_view path) {
    if (path.empty() || path.front() != '/') return false;
    std::error_code ec;
    return fs::is_directory(ResolvePath(path), ec);
}

std::vector<FolderEntry> ListFolder(std::string_view folder) {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(ResolvePath(folder), fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        const bool folderEntry = it->is_directory(typeError);
        entries.push_back({base::NameOf(it->path().filename()), folderEntry && !typeError});
    }
    return entries;
}

bool MatchesMask(std::string_view mask, std::string_view name) {
    if (mask == "*.*" || mask == "*") return true;
    if (GlobMatch(mask, name)) return true;
    return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
           name.find('.') == std::string_view::npos && GlobMatch(mask.substr(0, mask.size() - 2), name);
}

std::vector<std::pair<std::string, std::string>> ReadDescriptions(std::string_view folder) {
    const auto file = base::FindPath(ResolvePath(folder), "descript.ion");
    if (!file) return {};
    try {
        return ParseDescriptions(base::ReadCheckedFile(*file, base::FileKind::Text));
    } catch (const base::FileError&) {
        return {};  // an unreadable list only means no descriptions
    }
}

std::vector<std::pair<std::string, std::string>> ParseDescriptions(std::string_view bytes) {
    std::vector<std::pair<std::string, std::string>> found;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string line(bytes.substr(start, std::min(end - start, kMaxDescriptionLine)));
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (line.empty()) break;
        if (line.front() == '"') {
            const size_t close = line.find('"', 1);
            if (close != std::string::npos) line[close] = '=';
            line.erase(0, 1);
        } else if (const size_t blank = line.find(' '); blank != std::string::npos) {
            line[blank] = '=';
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        found.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return found;
}

}  // namespace velmora::talkui

// What the file navigator reads from the file system. Paths are code page
// 1251 text with "/" separators, as they are shown and spoken; a name that
// 1251 cannot hold is still found again by its shown form.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::talkui {

// "\" becomes "/", so that a Windows-style path works too.
std::string NormalisePath(std::string_view path);
// The path up to and including the last "/" before its final character; ""
// when there is none (the root).
std::string ParentPrefix(std::string_view path);
// The last name of a path, without separators ("b" for "/a/b/").
std::string LastComponent(std::string_view path);
// The extension with its dot ("" when the name has none).
std::string Extension(std::string_view path);

// The file-system path an absolute shown path stands for.
std::filesystem::path ResolvePath(std::string_view path);
bool IsFolder(std::string_view path);

struct FolderEntry {
    std::string Name;
    bool Folder = false;
};
// The entries of a folder, without "." and ".."; empty when it cannot be read.
std::vector<FolderEntry> ListFolder(std::string_view folder);

// A Windows file mask: "*" any run, "?" one character, letter case ignored;
// "*.*" matches every name, and "x.*" matches "x" too.
bool MatchesMask(std::string_view mask, std::string_view name);

// Longest description line read; the rest of a longer line is dropped.
constexpr size_t kMaxDescriptionLine = 4096;

// The folder's descript.ion (any letter case) as name and description, up to
// the first empty line. A quoted name may hold blanks: "my file" text.
std::vector<std::pair<std::string, std::string>> ReadDescriptions(std::string_view folder);
std::vector<std::pair<std::string, std::string>> ParseDescriptions(std::string_view bytes);

}  // namespace velmora::talkui

// File names as adventure projects give them: code page 1251, '\' or '/' as
// separator, any letter case (projects are made on Windows). They are looked
// up under a root folder and never lead outside it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::base {

// The components of a relative path; empty and "." components are dropped.
// No value for an absolute path, a drive letter or a ".." component.
std::optional<std::vector<std::string>> SplitRelativePath(std::string_view path1251);

// The existing file or folder that `relative` names under root: each component
// by its exact name when that exists, else the entry whose name is equal
// without regard to letter case. No value when something is missing or the
// path would leave root. A pipe, socket or device (even behind a link)
// counts as missing: a file is read through the gate in project_file.h,
// which names such a file to the player.
std::optional<std::filesystem::path> FindPath(const std::filesystem::path& root,
                                              std::string_view relative);
// The entry as FindPath finds it, whatever its type.
std::optional<std::filesystem::path> FindEntryPath(const std::filesystem::path& root,
                                                   std::string_view relative);

// Where to write the file that `relative` names under root: the components that
// exist are found as FindPath finds them, the rest are taken as given. No value
// when the path would leave root.
std::optional<std::filesystem::path> PathForWriting(const std::filesystem::path& root,
                                                    std::string_view relative);

// The one crossing between a name as the game holds it (1251) and the file
// system's (UTF-8, on Linux): a path of a 1251 name, and the 1251 name of a
// path, with '?' for what 1251 cannot hold.
std::filesystem::path PathOf1251(std::string_view name1251);
std::string NameOf(const std::filesystem::path& path);

// A path for messages: UTF-8, as the user would type it.
std::string DisplayPath(const std::filesystem::path& path);

}  // namespace velmora::base

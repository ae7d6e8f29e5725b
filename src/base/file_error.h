// The one error type for damaged or unreadable outside input: it names the
// file (as shown to the player, UTF-8) and the problem.
#pragma once

#include <stdexcept>
#include <string>

#include "base/utf8.h"

namespace velmora::base {

class FileError : public std::runtime_error {
public:
    FileError(std::string file, std::string problem)
        : std::runtime_error(file + ": " + problem),
          file_(std::move(file)),
          problem_(std::move(problem)) {}

    const std::string& file() const { return file_; }
    const std::string& problem() const { return problem_; }
    // "file: problem", as the player is told it.
    Utf8 Said() const { return Utf8(std::string_view(what())); }

private:
    std::string file_;
    std::string problem_;
};

}  // namespace velmora::base

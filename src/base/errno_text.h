// The system's reasons for a failed file operation, in the players' language:
// an error the game speaks is never half English.
#pragma once

#include <string>
#include <system_error>

namespace velmora::base {

// A short Russian phrase for an errno value (UTF-8); an unknown value is
// named by its number, never by the C library's English text.
std::string ErrnoText(int err);
std::string ErrnoText(const std::error_code& ec);

}  // namespace velmora::base

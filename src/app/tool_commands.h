// The commands that make, pack and publish a project: new, pack, web.
#pragma once

#include <string>

namespace velmora::tool {

// Runs verb when it is one of them and returns its exit status; -1 when
// verb is another command.
int AuthorCommand(const std::string& verb, int argc, char** argv);

}  // namespace velmora::tool

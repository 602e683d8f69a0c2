// Splitting a registered command into words the way a shell would, without
// running one: blanks separate, quotes group, a backslash takes the next
// character literally; nothing is expanded.
#pragma once

#include <string>
#include <vector>

namespace pivora {

std::vector<std::string> SplitCommandWords(const std::string& command);

}  // namespace pivora

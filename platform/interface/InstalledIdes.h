// A look for the IDEs installed on this machine, which the registration
// dialog offers (never registers by itself). The system answers from where
// the installers leave them: the registry on Windows, the Wine prefixes of
// the user on Linux.
//
// A look may block in the file system for as long as a dead network mount
// holds it, so the launcher makes its calls on threads of their own and waits
// for them only so long; a search therefore owns all it touches (its object
// is shared with those threads) and its calls may run at the same time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pivora {

struct InstalledIde {
    std::int32_t version = 0;
    std::string executable;  // as a registered path is kept: the system's own bytes
};

class InstalledIdeSearch {
public:
    virtual ~InstalledIdeSearch() = default;
    // The places to look in, each of which may block on its own (a Wine
    // prefix, the registry), the most likely first.
    virtual std::vector<std::string> Places() = 0;
    // The executables installed in `place` that exist, the best of each
    // version first.
    virtual std::vector<InstalledIde> LookIn(const std::string& place) = 0;
};

}  // namespace pivora

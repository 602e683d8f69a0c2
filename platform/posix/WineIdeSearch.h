// The IDEs installed in the Wine prefixes of the user: found in each prefix's
// registry files where the installers recorded them, mapped back to Unix
// paths through the prefix's drives, else in the folders the installers
// suggest; each one a file that exists.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/interface/InstalledIdes.h"
#include "platform/posix/PrefixFiles.h"

namespace pivora {

// Where a user's Wine prefixes are, by convention: prefixes themselves, and
// folders whose every subfolder is one (those of the Wine front ends).
struct WinePrefixPlaces {
    std::vector<std::string> prefixes;
    std::vector<std::string> containers;
};

// The places for these values of WINEPREFIX, HOME and XDG_DATA_HOME (unset or
// empty: nothing). In order: WINEPREFIX, ~/.wine, then the front ends'
// folders: Bottles (XDG_DATA_HOME/bottles/bottles, by default under
// ~/.local/share, and that of its Flatpak), PlayOnLinux
// (~/.PlayOnLinux/wineprefix) and CrossOver (~/.cxoffice).
WinePrefixPlaces WinePrefixPlacesFor(const std::optional<std::string>& winePrefix,
                                     const std::optional<std::string>& home,
                                     const std::optional<std::string>& dataHome);

// At most this much of a registry file is read; a prefix's system.reg runs to
// a few megabytes.
inline constexpr std::size_t kRegistryFileLimit = std::size_t{256} << 20;

class WineIdeSearch final : public InstalledIdeSearch {
public:
    WineIdeSearch(WinePrefixPlaces places, std::shared_ptr<PrefixFiles> files);
    // The prefixes and the front ends' folders, as given: nothing is read.
    std::vector<std::string> Places() override;
    // For a prefix, what it holds; for a front end's folder, what its
    // prefixes hold, in the order of their names.
    std::vector<InstalledIde> LookIn(const std::string& place) override;

private:
    std::vector<InstalledIde> LookInPrefix(const std::string& prefix);

    const WinePrefixPlaces places_;
    const std::shared_ptr<PrefixFiles> files_;
};

}  // namespace pivora

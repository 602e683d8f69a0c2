// The IDEs installed on Windows: where their installers recorded them in the
// registry, as a 32-bit program reads it, each an executable that exists.
#pragma once

#include "platform/interface/InstalledIdes.h"

namespace pivora {

class RegistryIdeSearch final : public InstalledIdeSearch {
public:
    // The registry is the one place.
    std::vector<std::string> Places() override { return {"registry"}; }
    std::vector<InstalledIde> LookIn(const std::string& place) override;
};

}  // namespace pivora

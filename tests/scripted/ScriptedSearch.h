// Test doubles of the search for installed IDEs: a search whose places give
// what the test says, one of which may block until the test releases it (as
// a prefix on a dead network mount would), and a patience that runs out on an
// event of the test's rather than after a time.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/IdeDiscovery.h"
#include "platform/interface/InstalledIdes.h"

namespace pivora::testing {

class ScriptedSearch final : public InstalledIdeSearch {
public:
    struct Place {
        std::string name;
        std::vector<InstalledIde> ides;
        bool blocks = false;  // until Release()
        bool fails = false;   // throws instead of answering
    };
    // Set before the search is handed over, then only read.
    std::vector<Place> places;

    std::vector<std::string> Places() override {
        std::vector<std::string> names;
        for (const Place& p : places) names.push_back(p.name);
        return names;
    }

    std::vector<InstalledIde> LookIn(const std::string& name) override {
        for (const Place& p : places) {
            if (p.name != name) continue;
            if (p.blocks) {
                std::unique_lock lock(mutex_);
                ++blocked_;
                changed_.notify_all();
                // Bounded, so a search that waited for it fails its test rather than hangs it.
                changed_.wait_for(lock, std::chrono::seconds(60), [this] { return released_; });
            }
            if (p.fails) throw std::runtime_error("the place cannot be read");
            return p.ides;
        }
        return {};
    }

    // Lets every blocked look go on, and every later one pass.
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    // True once `count` looks are blocked; false if that has not happened
    // within a deadline that only bounds a failure.
    bool WaitBlocked(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return blocked_ >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int blocked_ = 0;
    bool released_ = false;
};

// Releases the search when the test ends, however it ends, so no thread of
// the search stays blocked after it.
struct ReleaseAtEnd {
    ScriptedSearch& search;
    ~ReleaseAtEnd() { search.Release(); }
};

// Runs out once so many places have been looked in (or all have), a number
// for each wait in turn, the last for every later one: the dialog's deadline
// as an event, the same on a fast machine and a slow one. A wait that never
// ended would hang the test: a generous time bounds it.
class PatienceUntilPlacesDone final : public TSearchPatience {
public:
    explicit PatienceUntilPlacesDone(std::vector<std::size_t> placesPerWait) : places_(std::move(placesPerWait)) {}
    explicit PatienceUntilPlacesDone(std::size_t places) : places_{places} {}
    bool ranOutOfTime = false;
    int waits = 0;
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
              const TSearchProgress& progress) override {
        const std::size_t places = places_[std::min(static_cast<std::size_t>(waits), places_.size() - 1)];
        ++waits;
        if (!changed.wait_for(lock, std::chrono::seconds(60),
                              [&] { return progress.settled || progress.placesDone >= places; }))
            ranOutOfTime = true;
    }

private:
    std::vector<std::size_t> places_;
};

}  // namespace pivora::testing

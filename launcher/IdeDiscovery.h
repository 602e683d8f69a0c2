// The IDEs found installed on this machine, which the registration dialog
// offers. The search starts when the dialog first opens and runs on threads
// of its own, one a place, so that a Wine prefix on a dead network mount
// cannot hold the dialog: the dialog waits only so long and shows what has
// arrived by then; what arrives later shows at its next opening.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace pivora {

class System;
struct TDiscoveryState;

struct TSearchProgress {
    std::size_t placesDone = 0;  // places whose look has ended
    bool settled = false;        // every place has been looked in
};

// How long the dialog waits for the search.
class TSearchPatience {
public:
    virtual ~TSearchPatience() = default;
    // Returns once `progress` is settled or the patience has run out; called
    // at every showing of the dialog until the search has settled. `lock` is
    // held on entry and on return; `changed` is notified, under it, whenever
    // `progress` changes.
    virtual void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                      const TSearchProgress& progress) = 0;
};

// The dialog's own patience: `limit` of real time from its first wait, in
// all; a later showing waits only for what is left of it.
class TTimedPatience final : public TSearchPatience {
public:
    explicit TTimedPatience(std::chrono::milliseconds limit) : limit_(limit) {}
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
              const TSearchProgress& progress) override;

private:
    std::chrono::milliseconds limit_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

// Long enough for a healthy look through a few prefixes on a cold disk,
// short enough not to be taken for a hang.
inline constexpr std::chrono::milliseconds kDiscoveryPatience{1000};

class TIdeDiscovery {
public:
    TIdeDiscovery();
    ~TIdeDiscovery();
    TIdeDiscovery(const TIdeDiscovery&) = delete;
    TIdeDiscovery& operator=(const TIdeDiscovery&) = delete;

    void SetPatience(std::unique_ptr<TSearchPatience> patience) { patience_ = std::move(patience); }

    // The executable found for each version, in the system's bytes: the best
    // of the place, in the search's order, that has one among those looked in
    // so far. The first call starts the search through `system`; each call
    // waits for it as long as the patience allows.
    std::map<std::int32_t, std::string> Found(System& system);

private:
    void Start(System& system);

    std::shared_ptr<TDiscoveryState> shared_;  // shared with the searching threads
    std::unique_ptr<TSearchPatience> patience_;
    bool started_ = false;
};

}  // namespace pivora

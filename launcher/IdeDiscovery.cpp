#include "launcher/IdeDiscovery.h"

#include <thread>
#include <vector>

#include "platform/interface/InstalledIdes.h"
#include "platform/interface/System.h"

namespace pivora {

// What the searching threads hand to the dialog. The threads hold it (and the
// search) for as long as they run, which may be longer than the dialog lives.
struct TDiscoveryState {
    std::mutex mutex;
    std::condition_variable changed;
    TSearchProgress progress;
    std::vector<std::vector<InstalledIde>> byPlace;  // in the order of the places
};

namespace {

void Settle(TDiscoveryState& shared) {
    shared.progress.settled = true;
    shared.changed.notify_all();
}

void LookIn(const std::shared_ptr<TDiscoveryState>& shared, const std::shared_ptr<InstalledIdeSearch>& search,
            std::size_t index, const std::string& place) noexcept {
    std::vector<InstalledIde> ides;
    try {
        ides = search->LookIn(place);
    } catch (...) {
        // A place that cannot be looked in holds nothing to offer.
    }
    std::lock_guard lock(shared->mutex);
    shared->byPlace[index] = std::move(ides);
    if (++shared->progress.placesDone == shared->byPlace.size()) Settle(*shared);
    else shared->changed.notify_all();
}

void ListPlaces(const std::shared_ptr<TDiscoveryState>& shared, const std::shared_ptr<InstalledIdeSearch>& search) noexcept {
    std::vector<std::string> places;
    try {
        places = search->Places();
    } catch (...) {
        places.clear();
    }
    {
        std::lock_guard lock(shared->mutex);
        shared->byPlace.resize(places.size());
        if (places.empty()) {
            Settle(*shared);
            return;
        }
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        try {
            std::thread([shared, search, i, place = places[i]] { LookIn(shared, search, i, place); }).detach();
        } catch (...) {
            // No thread to spare: this one looks, as the places before it may still.
            LookIn(shared, search, i, places[i]);
        }
    }
}

}  // namespace

void TTimedPatience::Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                          const TSearchProgress& progress) {
    if (!deadline_) deadline_ = std::chrono::steady_clock::now() + limit_;
    changed.wait_until(lock, *deadline_, [&] { return progress.settled; });
}

TIdeDiscovery::TIdeDiscovery()
    : shared_(std::make_shared<TDiscoveryState>()), patience_(std::make_unique<TTimedPatience>(kDiscoveryPatience)) {}

TIdeDiscovery::~TIdeDiscovery() = default;

void TIdeDiscovery::Start(System& system) {
    std::shared_ptr<InstalledIdeSearch> search = system.IdeSearch();
    if (!search) {
        std::lock_guard lock(shared_->mutex);
        Settle(*shared_);
        return;
    }
    try {
        std::thread([shared = shared_, search] { ListPlaces(shared, search); }).detach();
    } catch (...) {
        // Without a thread the search could hold the dialog: nothing is offered.
        std::lock_guard lock(shared_->mutex);
        Settle(*shared_);
    }
}

std::map<std::int32_t, std::string> TIdeDiscovery::Found(System& system) {
    if (!started_) {
        started_ = true;
        Start(system);
    }
    std::unique_lock lock(shared_->mutex);
    if (!shared_->progress.settled) patience_->Wait(lock, shared_->changed, shared_->progress);
    std::map<std::int32_t, std::string> found;
    for (const std::vector<InstalledIde>& ides : shared_->byPlace)
        for (const InstalledIde& ide : ides) found.try_emplace(ide.version, ide.executable);
    return found;
}

}  // namespace pivora

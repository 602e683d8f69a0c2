// The search for installed IDEs as the registration dialog waits for it: the
// place looked in first gives a version, a place that blocks or fails holds
// up nothing else, and what arrives late is there at the next look.
#include <gtest/gtest.h>

#include "launcher/IdeDiscovery.h"
#include "tests/scripted/FakeSystem.h"
#include "tests/scripted/ScriptedSearch.h"

namespace pivora::testing {
namespace {

using Found = std::map<std::int32_t, std::string>;

class IdeDiscoveryTest : public ::testing::Test {
protected:
    FakeSystem sys;
    std::shared_ptr<ScriptedSearch> search = std::make_shared<ScriptedSearch>();
    ReleaseAtEnd release{*search};
    TIdeDiscovery discovery;
    PatienceUntilPlacesDone* patience = nullptr;

    void Patience(std::vector<std::size_t> placesPerWait) {
        auto p = std::make_unique<PatienceUntilPlacesDone>(std::move(placesPerWait));
        patience = p.get();
        discovery.SetPatience(std::move(p));
    }
    void TearDown() override {
        if (patience) {
            EXPECT_FALSE(patience->ranOutOfTime);
        }
    }
};

TEST_F(IdeDiscoveryTest, EachVersionComesFromTheFirstPlaceThatHasIt) {
    search->places = {{"first", {{4, "/first/d4"}}},
                      {"second", {{4, "/second/d4"}, {3, "/second/d3"}, {3, "/second/other-d3"}}},
                      {"third", {{2, "/third/d2"}, {3, "/third/d3"}}}};
    sys.ideSearch = search;
    Patience({3});
    EXPECT_EQ(discovery.Found(sys), (Found{{2, "/third/d2"}, {3, "/second/d3"}, {4, "/first/d4"}}));
}

TEST_F(IdeDiscoveryTest, APlaceThatBlocksHoldsUpOnlyItselfAndWhatItHoldsComesAtALaterLook) {
    search->places = {{"dead mount", {{4, "/dead/d4"}, {2, "/dead/d2"}}, /*blocks=*/true},
                      {"home", {{4, "/home/d4"}, {3, "/home/d3"}}}};
    sys.ideSearch = search;
    Patience({1, 2});  // the first look ends once "home" is done, the second once all are
    EXPECT_EQ(discovery.Found(sys), (Found{{3, "/home/d3"}, {4, "/home/d4"}}));
    ASSERT_TRUE(search->WaitBlocked(1));
    search->Release();
    // The place looked in first gives its versions, once it has answered.
    EXPECT_EQ(discovery.Found(sys), (Found{{2, "/dead/d2"}, {3, "/home/d3"}, {4, "/dead/d4"}}));
    EXPECT_EQ(sys.ideSearches, 1);  // one search, however often looked at
}

TEST_F(IdeDiscoveryTest, APlaceThatFailsGivesNothingAndTheOthersCount) {
    search->places = {{"broken", {{4, "/broken/d4"}}, false, /*fails=*/true}, {"good", {{2, "/good/d2"}}}};
    sys.ideSearch = search;
    Patience({2});
    EXPECT_EQ(discovery.Found(sys), (Found{{2, "/good/d2"}}));
}

TEST_F(IdeDiscoveryTest, OnceSettledItIsNotWaitedForAgain) {
    search->places = {{"only", {{3, "/only/d3"}}}};
    sys.ideSearch = search;
    Patience({1});
    EXPECT_EQ(discovery.Found(sys), (Found{{3, "/only/d3"}}));
    // The first look waited, unless the search had settled before it looked.
    const int waited = patience->waits;
    EXPECT_LE(waited, 1);
    EXPECT_EQ(discovery.Found(sys), (Found{{3, "/only/d3"}}));
    EXPECT_EQ(patience->waits, waited);
}

TEST_F(IdeDiscoveryTest, WithoutASearchOrAPlaceNothingIsFoundAndNothingWaited) {
    Patience({1});
    EXPECT_TRUE(discovery.Found(sys).empty());  // the system offers no search
    EXPECT_EQ(sys.ideSearches, 1);
    EXPECT_EQ(patience->waits, 0);
    TIdeDiscovery another;
    auto p = std::make_unique<PatienceUntilPlacesDone>(1);
    PatienceUntilPlacesDone& waited = *p;
    another.SetPatience(std::move(p));
    sys.ideSearch = search;  // a search with no place to look in
    EXPECT_TRUE(another.Found(sys).empty());
    EXPECT_FALSE(waited.ranOutOfTime);
}

// The dialog's own patience: whatever the machine's speed, a place that never
// answers does not keep the caller; what it returns is what had arrived.
TEST_F(IdeDiscoveryTest, TheTimedPatienceEndsTheWaitWhileAPlaceStillBlocks) {
    search->places = {{"dead mount", {{4, "/dead/d4"}}, /*blocks=*/true}, {"home", {{3, "/home/d3"}}}};
    sys.ideSearch = search;
    discovery.SetPatience(std::make_unique<TTimedPatience>(std::chrono::milliseconds(20)));
    const Found found = discovery.Found(sys);
    EXPECT_TRUE(found.empty() || found == (Found{{3, "/home/d3"}})) << found.size();
    EXPECT_EQ(found.count(4), 0u);
    EXPECT_TRUE(search->WaitBlocked(1));
    // The deadline has passed: a later look does not wait again.
    const Found later = discovery.Found(sys);
    EXPECT_EQ(later.count(4), 0u);
}

}  // namespace
}  // namespace pivora::testing

// The engine headers on their own: no Python anywhere in this program.
#include <ombrix/cong.hpp>
#include <ombrix/kiss.hpp>
#include <ombrix/lagged.hpp>
#include <ombrix/lfsr.hpp>
#include <ombrix/mwc.hpp>
#include <ombrix/shr3.hpp>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

template <class Engine>
std::vector<ombrix::word> take(Engine& engine, int count) {
    std::vector<ombrix::word> values;
    for (int i = 0; i < count; ++i) values.push_back(engine());
    return values;
}

using Words = std::vector<ombrix::word>;

TEST(Engines, DefaultSequences) {
    ombrix::Cong cong;
    EXPECT_EQ(take(cong, 3), (Words{1526889226u, 2084976955u, 1314849656u}));
    ombrix::SHR3 shr3;
    EXPECT_EQ(take(shr3, 3), (Words{3135323351u, 839507754u, 880795740u}));
    ombrix::MWC1 mwc1;
    EXPECT_EQ(take(mwc1, 3), (Words{496357136u, 987454260u, 585625887u}));
    ombrix::MWC2 mwc2;
    EXPECT_EQ(take(mwc2, 3), (Words{496364099u, 987485363u, 585626174u}));
    ombrix::MWC64 mwc64;
    EXPECT_EQ(take(mwc64, 3), (Words{1712429826u, 1261082938u, 641990447u}));
    ombrix::KISS kiss;
    EXPECT_EQ(take(kiss, 3), (Words{24694304u, 2024262834u, 2704855458u}));
    ombrix::KISS2 kiss2;
    EXPECT_EQ(take(kiss2, 3), (Words{2079675107u, 4185567647u, 2837635843u}));
    ombrix::LFIB4 lfib4;
    EXPECT_EQ(take(lfib4, 3), (Words{2564263768u, 3736547580u, 3040660323u}));
    ombrix::SWB swb;
    EXPECT_EQ(take(swb, 3), (Words{2898455533u, 692612196u, 2383284696u}));
    ombrix::LFSR113 lfsr113;
    EXPECT_EQ(take(lfsr113, 3), (Words{3338197162u, 227261592u, 1979908174u}));
    ombrix::LFSR88 lfsr88;
    EXPECT_EQ(take(lfsr88, 3), (Words{1667269494u, 944790115u, 468047577u}));
}

TEST(Engines, StateConstructorsTakeWordsAsTheyAre) {
    ombrix::KISS kiss(1, 2, 3, 4);
    EXPECT_EQ(take(kiss, 3), (Words{2424001924u, 107884083u, 623570573u}));
    ombrix::MWC64 mwc64(698769068u, 4294967295u);  // a fixed point
    EXPECT_EQ(take(mwc64, 2), (Words{4294967295u, 4294967295u}));
    ombrix::word table[256];
    for (int i = 0; i < 256; ++i) table[i] = static_cast<ombrix::word>(i);
    ombrix::LFIB4 lfib4(table);
    EXPECT_EQ(take(lfib4, 2), (Words{359u, 363u}));
    ombrix::SWB swb(table);
    EXPECT_EQ(take(swb, 3), (Words{15u, 15u, 15u}));
}

TEST(Engines, LfsrMinimumsAreTheLowestKeptBits) {
    EXPECT_EQ(ombrix::lfsr113_components[0].minimum(), 2u);
    EXPECT_EQ(ombrix::lfsr113_components[1].minimum(), 8u);
    EXPECT_EQ(ombrix::lfsr113_components[2].minimum(), 16u);
    EXPECT_EQ(ombrix::lfsr113_components[3].minimum(), 128u);
}

TEST(Engines, StandardEngineShape) {
    static_assert(std::uniform_random_bit_generator<ombrix::KISS>);
    static_assert(ombrix::LFSR88::min() == 0 && ombrix::LFSR88::max() == 4294967295u);
    ombrix::KISS2 a, b;
    a.discard(1000);
    for (int i = 0; i < 1000; ++i) b();
    EXPECT_EQ(a, b);
    std::uniform_int_distribution<int> die(1, 6);
    const int roll = die(a);
    EXPECT_GE(roll, 1);
    EXPECT_LE(roll, 6);
}

TEST(Engines, DefaultTablesAreComputedAtCompileTime) {
    constexpr ombrix::LFIB4 lfib4;
    static_assert(lfib4.t[0] == 894993044u && lfib4.t[255] == 2079707158u);
}

}  // namespace

// The engine headers on their own: no Python anywhere in this program.
#include <ombrix/catalogue.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

// The reference vectors shared with the Python tests; the Makefile passes
// their absolute path, other builds find them next to this source.
#ifndef OMBRIX_VECTORS
#define OMBRIX_VECTORS (std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "vectors.txt")
#endif

namespace {

using Words = std::vector<ombrix::word>;

template <class Engine>
Words take(Engine& engine, std::size_t count) {
    Words values;
    for (std::size_t i = 0; i < count; ++i) values.push_back(engine());
    return values;
}

// One line of the vectors file: NAME [SEED ...] : VALUE ..., where a SEED
// is a word or A..B, the table of the words A to B.
struct Vector {
    std::string line;
    std::string name;
    std::vector<Words> seeds;
    Words values;
};

Words read_seed(const std::string& token) {
    const auto dots = token.find("..");
    if (dots == std::string::npos) return {static_cast<ombrix::word>(std::stoul(token))};
    Words table;
    const auto last = std::stoul(token.substr(dots + 2));
    for (auto word = std::stoul(token.substr(0, dots)); word <= last; ++word) {
        table.push_back(static_cast<ombrix::word>(word));
    }
    return table;
}

std::vector<Vector> read_vectors() {
    std::ifstream file(OMBRIX_VECTORS);
    if (!file) throw std::runtime_error("cannot read the reference vectors");
    std::vector<Vector> vectors;
    for (std::string line; std::getline(file, line);) {
        Vector vector;
        vector.line = line.substr(0, line.find('#'));
        std::istringstream tokens(vector.line);
        if (!(tokens >> vector.name)) continue;
        std::string token;
        while (tokens >> token && token != ":") vector.seeds.push_back(read_seed(token));
        for (ombrix::word value; tokens >> value;) vector.values.push_back(value);
        vectors.push_back(std::move(vector));
    }
    return vectors;
}

const std::vector<Vector>& vectors() {
    static const std::vector<Vector> all = read_vectors();
    return all;
}

#define OMBRIX_NAME(Name) #Name,
const std::vector<std::string> names = {OMBRIX_GENERATORS(OMBRIX_NAME)};

// An engine of the catalogue, with its name.
template <class Engine, const char* Name>
struct Entry {
    using engine = Engine;
    static constexpr const char* name = Name;
};

#define OMBRIX_ENTRY(Name)                \
    constexpr char Name##_name[] = #Name; \
    using Name##_entry = Entry<ombrix::Name, Name##_name>;
OMBRIX_GENERATORS(OMBRIX_ENTRY)

// ::testing::Types of the entries: the list begins with a comma, dropped here.
template <class Ignored, class... Entries>
struct entry_types {
    using type = ::testing::Types<Entries...>;
};
#define OMBRIX_COMMA_ENTRY(Name) , Name##_entry
using Catalogue = entry_types<void OMBRIX_GENERATORS(OMBRIX_COMMA_ENTRY)>::type;

struct EntryName {
    template <class E>
    static std::string GetName(int) {
        return E::name;
    }
};

// The engine built from these arguments; none when it has no such constructor.
template <class Engine, class... Args>
std::optional<Engine> construct(const Args&... args) {
    if constexpr (std::is_constructible_v<Engine, const Args&...>) {
        return Engine(args...);
    } else {
        return std::nullopt;
    }
}

// The engine the seeds of a vector describe: default-constructed, from a
// table, or from as many words.
template <class Engine>
std::optional<Engine> seeded(const std::vector<Words>& seeds) {
    if (seeds.size() == 1 && seeds[0].size() == 256) {
        ombrix::table table;
        std::copy(seeds[0].begin(), seeds[0].end(), table);
        return construct<Engine>(table);
    }
    Words w;
    for (const Words& seed : seeds) {
        if (seed.size() != 1) return std::nullopt;
        w.push_back(seed[0]);
    }
    switch (w.size()) {
        case 0: return Engine();
        case 1: return construct<Engine>(w[0]);
        case 2: return construct<Engine>(w[0], w[1]);
        case 3: return construct<Engine>(w[0], w[1], w[2]);
        case 4: return construct<Engine>(w[0], w[1], w[2], w[3]);
        default: return std::nullopt;
    }
}

template <class E>
class EveryEngine : public ::testing::Test {};
TYPED_TEST_SUITE(EveryEngine, Catalogue, EntryName);

TYPED_TEST(EveryEngine, GivesItsReferenceVectors) {
    using Engine = typename TypeParam::engine;
    bool has_default = false;
    for (const Vector& vector : vectors()) {
        if (vector.name != TypeParam::name) continue;
        has_default = has_default || vector.seeds.empty();
        auto engine = seeded<Engine>(vector.seeds);
        ASSERT_TRUE(engine) << "no constructor for these seeds: " << vector.line;
        EXPECT_EQ(take(*engine, vector.values.size()), vector.values) << vector.line;
    }
    EXPECT_TRUE(has_default) << "no vector of the default seeding";
}

TYPED_TEST(EveryEngine, HasTheStandardEngineShape) {
    using Engine = typename TypeParam::engine;
    static_assert(std::uniform_random_bit_generator<Engine>);
    static_assert(Engine::min() == 0 && Engine::max() == 4294967295u);
    Engine a, b;
    a.discard(1000);
    for (int i = 0; i < 1000; ++i) b();
    EXPECT_EQ(a, b);
    std::uniform_int_distribution<int> die(1, 6);
    const int roll = die(a);
    EXPECT_GE(roll, 1);
    EXPECT_LE(roll, 6);
}

TEST(Engines, EveryReferenceVectorNamesAnEngine) {
    for (const Vector& vector : vectors()) {
        EXPECT_TRUE(std::find(names.begin(), names.end(), vector.name) != names.end()) << vector.line;
    }
}

TEST(Engines, StateConstructorsTakeWordsAsTheyAre) {
    ombrix::MWC64 mwc64(698769068u, 4294967295u);  // a fixed point
    EXPECT_EQ(take(mwc64, 2), (Words{4294967295u, 4294967295u}));
}

TEST(Engines, LfsrMinimumsAreTheLowestKeptBits) {
    EXPECT_EQ(ombrix::lfsr113_components[0].minimum(), 2u);
    EXPECT_EQ(ombrix::lfsr113_components[1].minimum(), 8u);
    EXPECT_EQ(ombrix::lfsr113_components[2].minimum(), 16u);
    EXPECT_EQ(ombrix::lfsr113_components[3].minimum(), 128u);
}

TEST(Engines, DefaultTablesAreComputedAtCompileTime) {
    constexpr ombrix::LFIB4 lfib4;
    static_assert(lfib4.t[0] == 894993044u && lfib4.t[255] == 2079707158u);
}

}  // namespace

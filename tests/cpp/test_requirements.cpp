// The engines as standard random number engines: every expression of the
// standard's table on every engine of the catalogue, the engines at work in
// <random> and <algorithm>, and each engine's seeding rule. No Python
// anywhere in this program.
#include <ombrix/ombrix.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ios>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using namespace ombrix;

// ---------------------------------------------------------------------------
// The catalogue as a list of test types.

template <class Ignored, class... Engines>
struct without_first {
    using type = ::testing::Types<Engines...>;
};
#define OMBRIX_AFTER_COMMA(Name) , ombrix::Name
using AllEngines = without_first<void OMBRIX_GENERATORS(OMBRIX_AFTER_COMMA)>::type;
#undef OMBRIX_AFTER_COMMA

struct EngineName {
    template <class E>
    static std::string GetName(int) {
#define OMBRIX_NAME_IF(Name) \
    if (std::is_same_v<E, ombrix::Name>) return #Name;
        OMBRIX_GENERATORS(OMBRIX_NAME_IF)
#undef OMBRIX_NAME_IF
        return "unknown";
    }
};

template <class E>
class Requirements : public ::testing::Test {};
TYPED_TEST_SUITE(Requirements, AllEngines, EngineName);

// ---------------------------------------------------------------------------
// Helpers.

template <class E>
E stepped(E e, int n) {
    while (n-- > 0) e();
    return e;
}

template <class E>
std::vector<word> take(E& e, int n) {
    std::vector<word> values;
    for (int i = 0; i < n; ++i) values.push_back(e());
    return values;
}

template <class E>
std::string text_of(const E& e) {
    std::ostringstream out;
    out << e;
    return out.str();
}

// How many numbers the text form of E holds.
template <class E>
std::size_t field_count() {
    std::size_t n = 0;
    const E e;
    E::visit_state(e, [&](const auto&) { ++n; });
    return n;
}

// A seed sequence that hands out the given words (then zeros), counting
// its calls and the words asked for.
struct scripted_sequence {
    using result_type = std::uint32_t;
    std::vector<word> words;
    int calls = 0;
    std::size_t asked = 0;

    template <class It>
    void generate(It first, It last) {
        ++calls;
        std::size_t i = 0;
        for (; first != last; ++first, ++i) *first = i < words.size() ? words[i] : 0u;
        asked = i;
    }
};

// A type with a generate member that converts to a word is a value, not a
// seed sequence.
struct word_with_generate {
    operator word() const { return 99u; }
    template <class It>
    void generate(It, It) {}
};

// The same as a seed sequence usable at compile time: 1, 2, 3, ...
struct counting_sequence {
    template <class It>
    constexpr void generate(It first, It last) {
        for (word v = 1; first != last; ++first, ++v) *first = v;
    }
};

// Every way of seeding, evaluated by the compiler.
template <class E>
constexpr bool seeds_at_compile_time() {
    counting_sequence q;
    E from_sequence(q);
    E e(7u);
    e.seed(q);
    if (!(e == from_sequence)) return false;
    e.seed(9u);
    if (!(e == E(9u))) return false;
    e();
    e.seed();
    return e == E() && E(E::default_seed) == E();
}

// Values for the one-value seeding: the ends of the range, the defaults
// and every modulus and minimum a rule looks at, with their neighbours.
const word seed_values[] = {
    0u, 1u, 2u, 3u, 7u, 8u, 15u, 16u, 127u, 128u, 12345u, 65437u, 7654321u, 123456789u,
    362436000u, 0x7FFFFFFFu, 0x80000000u, mwc16_lower_modulus, mwc16_upper_modulus - 1u,
    mwc16_upper_modulus, mwc16_upper_modulus + 1u, 0xFFFFFFFEu, 0xFFFFFFFFu,
};

// ---------------------------------------------------------------------------
// The shape: checked at compile time.

static_assert(seed_sequence<std::seed_seq>);
static_assert(seed_sequence<scripted_sequence>);
static_assert(!seed_sequence<const std::seed_seq>);  // generate is not const
static_assert(!seed_sequence<word>);
static_assert(!seed_sequence<int>);
static_assert(!seed_sequence<word_with_generate>);

TYPED_TEST(Requirements, HasTheStandardShape) {
    using E = TypeParam;
    static_assert(std::uniform_random_bit_generator<E>);
    static_assert(random_number_engine<E>);
    static_assert(std::is_same_v<typename E::result_type, word>);
    static_assert(E::min() == 0u && E::max() == 0xFFFFFFFFu);
    // What the Python extension relies on: copies as bytes, and no engine
    // has become an aggregate.
    static_assert(std::is_trivially_copyable_v<E>);
    static_assert(!std::is_aggregate_v<E>);
    // Both seeding constructors are explicit, as the standard's are.
    static_assert(!std::is_convertible_v<word, E>);
    static_assert(!std::is_convertible_v<std::seed_seq&, E>);
    // Neither a const sequence nor a value that merely has a generate member
    // reaches the seed-sequence constructor.
    static_assert(!std::is_constructible_v<E, const std::seed_seq&>);
    static_assert(seeds_at_compile_time<E>());
    word_with_generate value;
    E from_value(value);
    EXPECT_EQ(from_value, E(99u));
    from_value.seed(value);
    EXPECT_EQ(from_value, E(99u));
}

// The seed-sequence constructor takes E& too; it must not take copies.
TYPED_TEST(Requirements, CopiesAreCopies) {
    using E = TypeParam;
    E original = stepped(E(), 5);
    E copy(original);
    EXPECT_EQ(copy, original);
    E assigned;
    assigned = original;
    EXPECT_EQ(assigned, original);
    EXPECT_EQ(take(copy, 50), take(original, 50));
}

// ---------------------------------------------------------------------------
// Seeding.

TYPED_TEST(Requirements, SeedWithoutArgumentsIsDefaultConstruction) {
    using E = TypeParam;
    E e(12u);
    e.discard(300);
    e.seed();
    EXPECT_EQ(e, E());
    EXPECT_EQ(E(E::default_seed), E());
}

TYPED_TEST(Requirements, SeedWithAValueIsConstructionFromIt) {
    using E = TypeParam;
    for (word s : seed_values) {
        E e = stepped(E(), 3);
        e.seed(s);
        EXPECT_EQ(e, E(s)) << s;
        // Two engines from one value run alike: the state is all there is.
        E again(s);
        E seeded(s);
        EXPECT_EQ(take(again, 20), take(seeded, 20)) << s;
    }
}

TYPED_TEST(Requirements, DifferentValuesGiveDifferentSequences) {
    using E = TypeParam;
    // Not among them: seeds a rule maps to one state (0 and the default for
    // the multiply-with-carry engines), or LFSR seeds differing only in the
    // bits the step drops (2 and 3 for z1).
    const word values[] = {4u, 6u, 100u, 0x80000000u, 0xFFFFFFF0u};
    std::vector<std::vector<word>> seen;
    for (word s : values) {
        E e(s);
        seen.push_back(take(e, 8));
    }
    for (std::size_t i = 0; i < seen.size(); ++i)
        for (std::size_t j = i + 1; j < seen.size(); ++j)
            EXPECT_NE(seen[i], seen[j]) << values[i] << " and " << values[j];
}

TYPED_TEST(Requirements, SeedWithASequenceIsConstructionFromIt) {
    using E = TypeParam;
    std::seed_seq q{1u, 2u, 3u};
    const E built(q);
    E e;
    e.seed(q);  // seed_seq::generate depends only on the seeds it holds
    EXPECT_EQ(e, built);
    EXPECT_NE(built, E());
    std::seed_seq other{1u, 2u, 4u};
    EXPECT_NE(E(other), built);
}

TYPED_TEST(Requirements, ASequenceIsAskedOnceForTheWholeState) {
    using E = TypeParam;
    scripted_sequence q{{5u, 6u, 7u, 8u}};
    const E e(q);
    EXPECT_EQ(q.calls, 1);
    // One word for each state word; the index and borrow start at 0.
    const bool lagged = std::is_same_v<E, LFIB4> || std::is_same_v<E, SWB>;
    EXPECT_EQ(q.asked, lagged ? 256u : field_count<E>());
}

// Zeros as they are would leave every engine but Cong at a fixed point, and
// LFIB4 on even words only; the rules keep them moving. (The lagged tables,
// nearly zero, take some thousands of steps to fill with varied words.)
TYPED_TEST(Requirements, ASequenceOfZerosGivesAMovingEngine) {
    using E = TypeParam;
    scripted_sequence zeros;
    E e(zeros);
    const std::vector<word> values = take(e, 1000);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](word v) { return v & 1u; }));
    EXPECT_GT(std::set<word>(values.begin(), values.end()).size(), 2u);
}

// ---------------------------------------------------------------------------
// Each engine's rules, value by value.

struct state_case {
    const char* what;
    std::vector<word> seeds;  // for a sequence; one word for a value
    std::string state;        // the text form expected
};

template <class E>
void expect_value_cases(const std::vector<state_case>& cases) {
    for (const auto& c : cases) EXPECT_EQ(text_of(E(c.seeds[0])), c.state) << c.what;
}
template <class E>
void expect_sequence_cases(const std::vector<state_case>& cases) {
    for (const auto& c : cases) {
        scripted_sequence q{c.seeds};
        EXPECT_EQ(text_of(E(q)), c.state) << c.what;
    }
}

TEST(SeedingRules, SingleWordEngines) {
    expect_value_cases<Cong>({{"zero", {0u}, "0"}, {"top", {0xFFFFFFFFu}, "4294967295"}});
    expect_sequence_cases<Cong>({{"zero", {0u}, "0"}, {"any", {77u}, "77"}});
    // The value constructor is the state constructor: 0 stays.
    expect_value_cases<SHR3>({{"zero", {0u}, "0"}, {"one", {1u}, "1"}});
    expect_sequence_cases<SHR3>({{"zero", {0u}, "362436000"}, {"one", {1u}, "1"}});
}

TEST(SeedingRules, MultiplyWithCarry) {
    const std::string lower = " 65437";
    const std::string modulus_upper = std::to_string(mwc16_upper_modulus);
    const std::string modulus_lower = std::to_string(mwc16_lower_modulus);
    const std::vector<state_case> values = {
        {"zero", {0u}, "12345" + lower},
        {"modulus", {mwc16_upper_modulus}, "12345" + lower},
        {"below the modulus", {mwc16_upper_modulus - 1u}, std::to_string(mwc16_upper_modulus - 1u) + lower},
        {"above the modulus", {0xFFFFFFFFu}, "4294967295" + lower},
        {"the lower modulus is no multiple of the upper", {mwc16_lower_modulus}, modulus_lower + lower},
    };
    const std::vector<state_case> sequences = {
        {"zeros", {0u, 0u}, "12345 65437"},
        {"both moduli", {mwc16_upper_modulus, mwc16_lower_modulus}, "12345 65437"},
        {"moduli swapped", {mwc16_lower_modulus, mwc16_upper_modulus},
         modulus_lower + " " + modulus_upper},
        {"as they are", {1u, 0xFFFFFFFFu}, "1 4294967295"},
    };
    expect_value_cases<MWC1>(values);
    expect_value_cases<MWC2>(values);
    expect_sequence_cases<MWC1>(sequences);
    expect_sequence_cases<MWC2>(sequences);

    // MWC64: the pair as one number, carry * 2**32 + value.
    const auto high = [](std::uint64_t n) { return static_cast<word>(n >> 32); };
    const auto low = [](std::uint64_t n) { return static_cast<word>(n); };
    const std::string pair_default = "7654321 521288629";
    expect_value_cases<MWC64>({
        {"zero", {0u}, "0 521288629"},
        {"top", {0xFFFFFFFFu}, "4294967295 521288629"},
    });
    std::vector<state_case> pairs = {
        {"zeros", {0u, 0u}, pair_default},
        {"one", {0u, 1u}, "0 1"},
        {"the modulus, a fixed point", {high(mwc64_modulus), low(mwc64_modulus)}, pair_default},
        {"the modulus plus one", {high(mwc64_modulus + 1), low(mwc64_modulus + 1)},
         std::to_string(high(mwc64_modulus + 1)) + " " + std::to_string(low(mwc64_modulus + 1))},
        {"top", {0xFFFFFFFFu, 0xFFFFFFFFu}, "4294967295 4294967295"},
    };
    for (std::uint64_t k = 2; k <= 6; ++k)  // every multiple that fits
        pairs.push_back({"a multiple", {high(k * mwc64_modulus), low(k * mwc64_modulus)}, pair_default});
    expect_sequence_cases<MWC64>(pairs);
}

TEST(SeedingRules, Kiss) {
    expect_value_cases<KISS>({
        {"zero", {0u}, "12345 65437 123456789 362436000"},
        {"modulus", {mwc16_upper_modulus}, "12345 65437 123456789 362436000"},
        {"five", {5u}, "5 65437 123456789 362436000"},
    });
    expect_sequence_cases<KISS>({
        {"zeros", {0u, 0u, 0u, 0u}, "12345 65437 0 362436000"},
        {"as they are", {1u, 2u, 3u, 4u}, "1 2 3 4"},
        {"moduli", {mwc16_upper_modulus, mwc16_lower_modulus, 9u, 0u}, "12345 65437 9 362436000"},
    });
    expect_value_cases<KISS2>({
        {"zero", {0u}, "0 521288629 123456789 362436000"},
        {"five", {5u}, "5 521288629 123456789 362436000"},
    });
    expect_sequence_cases<KISS2>({
        {"zeros", {0u, 0u, 0u, 0u}, "7654321 521288629 0 362436000"},
        {"as they are", {1u, 2u, 3u, 4u}, "1 2 3 4"},
        {"the modulus", {static_cast<word>(mwc64_modulus >> 32), static_cast<word>(mwc64_modulus), 9u, 8u},
         "7654321 521288629 9 8"},
    });
}

TEST(SeedingRules, Lfsr) {
    // A seed below its component's minimum has the minimum added.
    expect_value_cases<LFSR113>({
        {"zero", {0u}, "2 12345 12345 12345"},
        {"one", {1u}, "3 12345 12345 12345"},
        {"the minimum", {2u}, "2 12345 12345 12345"},
        {"top", {0xFFFFFFFFu}, "4294967295 12345 12345 12345"},
    });
    expect_sequence_cases<LFSR113>({
        {"zeros", {0u, 0u, 0u, 0u}, "2 8 16 128"},
        {"just below", {1u, 7u, 15u, 127u}, "3 15 31 255"},
        {"the minimums", {2u, 8u, 16u, 128u}, "2 8 16 128"},
    });
    expect_value_cases<LFSR88>({{"zero", {0u}, "2 12345 12345"}});
    expect_sequence_cases<LFSR88>({
        {"zeros", {0u, 0u, 0u}, "2 8 16"},
        {"just below", {1u, 7u, 15u}, "3 15 31"},
    });
    // Seeds that differ only in a dropped bit give one sequence.
    LFSR113 two(2u), three(3u);
    EXPECT_NE(two, three);
    EXPECT_EQ(take(two, 10), take(three, 10));
}

template <class E>
std::vector<word> table_of(const E& e) {
    return std::vector<word>(std::begin(e.t), std::end(e.t));
}

TEST(SeedingRules, LaggedTables) {
    for (word s : seed_values) {
        // The default table's KISS with s for its congruential seed.
        KISS kiss(12345u, 65435u, s, 34221u);
        const std::vector<word> expected = take(kiss, 256);
        const LFIB4 lfib4(s);
        const SWB swb(s);
        EXPECT_EQ(table_of(lfib4), expected) << s;
        EXPECT_EQ(table_of(swb), expected) << s;
        EXPECT_EQ(lfib4.c, 0);
        EXPECT_EQ(swb.c, 0);
        EXPECT_EQ(swb.borrow, 0);
    }
    // No seed value needs the odd-word repair: a KISS output's low bit is
    // the XOR of its parts' low bits, and the congruential part's depends
    // on the seed through the seed's low bit only. So 0 and 1 stand for
    // every value.
    for (word s : {0u, 1u}) {
        KISS kiss(12345u, 65435u, s, 34221u);
        const std::vector<word> values = take(kiss, 256);
        EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](word v) { return v & 1u; })) << s;
    }

    // From a sequence: the words as they are, unless all are even.
    std::vector<word> words(256);
    std::iota(words.begin(), words.end(), 1u);
    scripted_sequence counting{words};
    EXPECT_EQ(table_of(LFIB4(counting)), words);
    std::vector<word> evens(256, 0u);
    for (int i = 0; i < 256; ++i) evens[i] = 2u * static_cast<word>(i) + 4u;
    std::vector<word> repaired = evens;
    repaired[0] |= 1u;
    scripted_sequence even{evens};
    EXPECT_EQ(table_of(LFIB4(even)), repaired);
    scripted_sequence even_again{evens};
    EXPECT_EQ(table_of(SWB(even_again)), repaired);
    scripted_sequence zeros;
    const SWB swb(zeros);
    EXPECT_EQ(swb.t[0], 1u);
    EXPECT_EQ(swb.borrow, 0);
}

// ---------------------------------------------------------------------------
// The engines at work in the standard library.

TYPED_TEST(Requirements, DrivesDistributions) {
    using E = TypeParam;
    E e;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double low = 1.0, high = 0.0, sum = 0.0;
    const int n = 4000;
    for (int i = 0; i < n; ++i) {
        const double x = unit(e);
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        low = std::min(low, x);
        high = std::max(high, x);
        sum += x;
    }
    // Loose bounds: a broken adaptor (say, all values in one half) fails.
    EXPECT_LT(low, 0.01);
    EXPECT_GT(high, 0.99);
    EXPECT_NEAR(sum / n, 0.5, 0.03);
    std::uniform_int_distribution<int> die(1, 6);
    std::vector<int> faces(7, 0);
    for (int i = 0; i < 600; ++i) ++faces[die(e)];
    for (int f = 1; f <= 6; ++f) EXPECT_GT(faces[f], 50) << f;
    const double canonical = std::generate_canonical<double, 53>(e);
    EXPECT_GE(canonical, 0.0);
    EXPECT_LT(canonical, 1.0);
}

TYPED_TEST(Requirements, Shuffles) {
    using E = TypeParam;
    std::vector<int> deck(52);
    std::iota(deck.begin(), deck.end(), 0);
    std::vector<int> first = deck, second = deck;
    E a(7u), b(7u);
    std::shuffle(first.begin(), first.end(), a);
    std::shuffle(second.begin(), second.end(), b);
    EXPECT_EQ(first, second);  // the same engine state, the same order
    EXPECT_NE(first, deck);
    std::vector<int> sorted = first;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, deck);
    EXPECT_EQ(a, b);
}

// ---------------------------------------------------------------------------
// ==, != and discard.

TYPED_TEST(Requirements, EqualityFollowsTheState) {
    using E = TypeParam;
    const E a;
    E b;
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    b();
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    E c = a;
    c();
    EXPECT_TRUE(b == c);
    // One word of the state is enough to differ.
    E d = a;
    E::visit_state(d, [flipped = false](auto& field) mutable {
        if (!flipped) field ^= 1u;
        flipped = true;
    });
    EXPECT_NE(d, a);
    EXPECT_NE(a, d);
}

TYPED_TEST(Requirements, DiscardIsStepping) {
    using E = TypeParam;
    for (unsigned long long n : {0ull, 1ull, 255ull, 256ull, 1000ull}) {
        E e(3u);
        e.discard(n);
        EXPECT_EQ(e, stepped(E(3u), static_cast<int>(n))) << n;
    }
}

// ---------------------------------------------------------------------------
// The text form.

TYPED_TEST(Requirements, TextRoundTripsExactly) {
    using E = TypeParam;
    std::seed_seq q{2024u, 6u};
    scripted_sequence top{std::vector<word>(256, 0xFFFFFFFFu)};
    const std::vector<E> states = {
        E(), stepped(E(), 1), stepped(E(), 255), stepped(E(), 257), stepped(E(), 1000),
        E(q), stepped(E(q), 77), E(top), stepped(E(top), 3), E(0u),
    };
    for (const E& original : states) {
        const std::string text = text_of(original);
        std::istringstream in(text);
        E read(5u);
        in >> read;
        ASSERT_FALSE(in.fail()) << text;
        EXPECT_EQ(read, original) << text;
        EXPECT_EQ(text_of(read), text);
        // Reading resumes the sequence where it was written.
        E continued = original;
        EXPECT_EQ(take(read, 600), take(continued, 600));
    }
}

TYPED_TEST(Requirements, TextIsDecimalNumbersOneSpaceApart) {
    using E = TypeParam;
    const E e = stepped(E(), 10);
    const std::string text = text_of(e);
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), ' ')), field_count<E>() - 1);
    EXPECT_TRUE(std::all_of(text.begin(), text.end(),
                            [](char ch) { return ch == ' ' || (ch >= '0' && ch <= '9'); }))
        << text;
    EXPECT_NE(text.front(), ' ');
    EXPECT_NE(text.back(), ' ');
    // The numbers are the state's fields, in the order visit_state gives.
    std::string expected;
    E::visit_state(e, [&](const auto& field) {
        if (!expected.empty()) expected += ' ';
        expected += std::to_string(static_cast<unsigned long>(field));
    });
    EXPECT_EQ(text, expected);
}

// Whatever the stream's flags and fill, the text is the same, and the
// flags and fill are as they were afterwards.
TYPED_TEST(Requirements, TextIgnoresAndRestoresTheStreamFormat) {
    using E = TypeParam;
    const E e = stepped(E(), 3);
    const std::string plain = text_of(e);

    std::ostringstream out;
    out << std::hex << std::uppercase << std::showbase << std::showpos << std::right;
    out.fill('*');
    const auto out_flags = out.flags();
    out << e;
    EXPECT_EQ(out.str(), plain);
    EXPECT_EQ(out.flags(), out_flags);
    EXPECT_EQ(out.fill(), '*');

    std::istringstream in(plain);
    in >> std::hex >> std::noskipws;
    const auto in_flags = in.flags();
    E read;
    in >> read;
    EXPECT_FALSE(in.fail());
    EXPECT_EQ(read, e);
    EXPECT_EQ(in.flags(), in_flags);
}

TYPED_TEST(Requirements, TextWorksOnWideStreams) {
    using E = TypeParam;
    const E e = stepped(E(), 300);
    std::wostringstream out;
    out << e;
    std::wistringstream in(out.str());
    E read;
    in >> read;
    EXPECT_FALSE(in.fail());
    EXPECT_EQ(read, e);
}

// Engines one after another in one stream, with other text between them.
TYPED_TEST(Requirements, TextSharesAStream) {
    using E = TypeParam;
    const E a = stepped(E(), 1), b = stepped(E(9u), 2);
    std::stringstream s;
    s << a << '\n' << b << " tail";
    E a2, b2;
    std::string tail;
    s >> a2 >> b2 >> tail;
    EXPECT_EQ(a2, a);
    EXPECT_EQ(b2, b);
    EXPECT_EQ(tail, "tail");
}

// Bad text sets failbit and leaves the engine as it was.
TYPED_TEST(Requirements, BadTextLeavesTheEngineAlone) {
    using E = TypeParam;
    const E before = stepped(E(), 2);
    const std::string good = text_of(stepped(E(), 50));
    const std::size_t first_space = std::min(good.find(' '), good.size());
    const std::size_t last_space = good.rfind(' ');
    const std::string after_first = good.substr(first_space);  // "" for one number
    std::vector<std::string> bad = {
        "",
        "   ",
        "x",
        "-1" + after_first,
        "+1" + after_first,
        "4294967296" + after_first,
        "99999999999999999999999" + after_first,
    };
    if (last_space != std::string::npos) {
        bad.push_back(good.substr(0, last_space));                // one number short
        bad.push_back(good.substr(0, last_space) + " z");         // not a number
        bad.push_back(good.substr(0, last_space) + " -" + good.substr(last_space + 1));
    }
    // A one-byte field (the index, the borrow) takes 0 to 255 only.
    if (std::is_same_v<E, LFIB4> || std::is_same_v<E, SWB>) bad.push_back(good.substr(0, last_space) + " 256");
    for (const std::string& text : bad) {
        std::istringstream in(text);
        E e = before;
        in >> e;
        EXPECT_TRUE(in.fail()) << '"' << text << '"';
        EXPECT_EQ(e, before) << '"' << text << '"';
    }
}

TYPED_TEST(Requirements, FailedTextCanThrow) {
    using E = TypeParam;
    std::istringstream in("nonsense");
    in.exceptions(std::ios_base::failbit);
    in >> std::hex;
    const auto flags = in.flags();
    E e;
    EXPECT_THROW(in >> e, std::ios_base::failure);
    EXPECT_EQ(e, E());
    EXPECT_EQ(in.flags(), flags);  // restored on the way out too
}

}  // namespace

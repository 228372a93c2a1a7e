// The bulk kernels against the scalar engine, on every kernel path this
// machine supports: the same values and the same final state, from random
// and edge states, in one call and in pieces that cross every block and
// segment boundary, at every alignment. No Python anywhere in this program.
#include "engine_cases.hpp"

#include <ombrix/bulk.hpp>
#include <ombrix/catalogue.hpp>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace ombrix;
using namespace ombrix::testing_states;

std::vector<kernel_path> supported_paths() {
    std::vector<kernel_path> out;
    for (kernel_path path : kernel_paths)
        if (kernel_path_supported(path)) out.push_back(path);
    return out;
}

template <class E>
std::vector<word> scalar_values(E& e, std::size_t n) {
    std::vector<word> out(n);
    for (word& w : out) w = e();
    return out;
}

// n values from `start` by the kernels, in pieces of the given sizes (the
// last repeated), written at `offset` words into a larger buffer so that
// every alignment of the output occurs.
template <class E>
std::vector<word> kernel_values(E& e, std::size_t n, kernel_path path,
                                const std::vector<std::size_t>& pieces, std::size_t offset = 0) {
    std::vector<word> buffer(n + offset + 16, 0xA5A5A5A5u);
    std::size_t done = 0;
    for (std::size_t i = 0; done < n; ++i) {
        const std::size_t piece = std::min(n - done, pieces[std::min(i, pieces.size() - 1)]);
        generate(e, std::span<word>(buffer.data() + offset + done, piece), path);
        done += piece;
    }
    for (std::size_t i = n + offset; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], 0xA5A5A5A5u) << "written past the end";
    return {buffer.begin() + offset, buffer.begin() + offset + n};
}

template <class E>
void expect_same(const E& start, std::size_t n, kernel_path path,
                 const std::vector<std::size_t>& pieces, std::size_t offset = 0) {
    E scalar = start, vector = start;
    const std::vector<word> expected = scalar_values(scalar, n);
    const std::vector<word> got = kernel_values(vector, n, path, pieces, offset);
    ASSERT_EQ(got.size(), expected.size());
    std::size_t first_difference = n;
    for (std::size_t i = 0; i < n && first_difference == n; ++i)
        if (got[i] != expected[i]) first_difference = i;
    EXPECT_EQ(first_difference, n) << kernel_path_name(path) << ": values differ from value "
                                   << first_difference << " of " << n;
    EXPECT_TRUE(vector == scalar) << kernel_path_name(path) << ": final state after " << n;
}

// Lengths around every threshold and block: the lagged tables (256), SWB's
// 64-step blocks, the segmented kernels' minimum (4096) and tiles (W*W, up
// to 256), Cong's blocks of 4W.
const std::size_t lengths[] = {0,    1,    15,   16,   63,   64,   65,   255,  256,
                               257,  511,  512,  1023, 1024, 1025, 2047, 4095, 4096,
                               4097, 4352, 8191, 8192, 12345, 65536, 100003};

template <class E>
class Bulk : public ::testing::Test {};
// ::testing::Types of the catalogue: the list begins with a comma, dropped here.
template <class Ignored, class... E>
struct engine_types {
    using type = ::testing::Types<E...>;
};
#define OMBRIX_COMMA_ENGINE(Name) , Name
using Engines = engine_types<void OMBRIX_GENERATORS(OMBRIX_COMMA_ENGINE)>::type;
struct EngineName {
    template <class E>
    static std::string GetName(int) {
        return cases<E>::name;
    }
};
TYPED_TEST_SUITE(Bulk, Engines, EngineName);

TYPED_TEST(Bulk, EveryLengthFromEveryState) {
    using E = TypeParam;
    for (kernel_path path : supported_paths())
        for (const E& start : cases<E>::states())
            for (std::size_t n : lengths) expect_same(start, n, path, {n});
}

TYPED_TEST(Bulk, PiecesAndAlignments) {
    using E = TypeParam;
    const std::vector<std::vector<std::size_t>> piece_sizes = {
        {1, 2, 3, 5, 7, 11, 13, 4096, 4097, 255, 257, 63, 65, 8191},
        {4096},
        {4100, 1},
        {65536, 1000, 256},
    };
    for (kernel_path path : supported_paths())
        for (const E& start : cases<E>::states()) {
            for (const auto& pieces : piece_sizes) expect_same(start, 150000, path, pieces);
            for (std::size_t offset = 1; offset < 16; offset += 3)
                expect_same(start, 20000 + offset, path, {20000 + offset}, offset);
        }
}

// Ten million values per type and path, in one call and in pieces of
// varying size, from a random state.
TYPED_TEST(Bulk, TenMillionValues) {
    using E = TypeParam;
    const E start = cases<E>::states().front();
    for (kernel_path path : supported_paths()) {
        expect_same(start, 10'000'000, path, {10'000'000});
        expect_same(start, 10'000'000, path, {999'983, 65'536, 4'095, 1'000'037});
    }
}

TEST(BulkPaths, ChosenAndSupported) {
    EXPECT_TRUE(kernel_path_supported(kernel_path::scalar));
    EXPECT_TRUE(kernel_path_supported(best_kernel_path()));
    EXPECT_TRUE(kernel_path_supported(default_kernel_path()));
    EXPECT_LE(default_kernel_path(), best_kernel_path());
}

// The iterator forms give what the span form gives. (Called qualified: with
// standard iterators, argument-dependent lookup also finds std::generate_n.)
TEST(BulkPaths, IteratorForms) {
    KISS a, b, c;
    std::vector<word> expected(10000), by_range(10000);
    generate(a, std::span<word>(expected));
    ombrix::generate(b, by_range.begin(), by_range.end());
    EXPECT_EQ(by_range, expected);
    std::vector<word> pushed;
    ombrix::generate_n(c, std::back_inserter(pushed), 10000);
    EXPECT_EQ(pushed, expected);
    EXPECT_TRUE(a == b && b == c);
}

}  // namespace

// The standard's requirements on a random number engine ([rand.req.eng]),
// as a concept over the expressions of its table, and the check that every
// engine of the catalogue meets them.
#pragma once

#include "catalogue.hpp"
#include "engine.hpp"

#include <concepts>
#include <istream>
#include <ostream>
#include <random>
#include <type_traits>

namespace ombrix {

template <class E>
concept random_number_engine =
    std::uniform_random_bit_generator<E> && std::default_initializable<E> &&
    std::copy_constructible<E> && std::is_copy_assignable_v<E> &&
    std::constructible_from<E, typename E::result_type> &&
    std::constructible_from<E, std::seed_seq&> &&
    requires(E& e, const E& x, const E& y, typename E::result_type s, std::seed_seq& q,
             unsigned long long z, std::ostream& os, std::istream& is, std::wostream& wos,
             std::wistream& wis) {
        { e.seed() } -> std::same_as<void>;
        { e.seed(s) } -> std::same_as<void>;
        { e.seed(q) } -> std::same_as<void>;
        { e() } -> std::same_as<typename E::result_type>;
        { e.discard(z) } -> std::same_as<void>;
        { x == y } -> std::same_as<bool>;
        { x != y } -> std::same_as<bool>;
        { os << x } -> std::same_as<std::ostream&>;
        { is >> e } -> std::same_as<std::istream&>;
        { wos << x } -> std::same_as<std::wostream&>;
        { wis >> e } -> std::same_as<std::wistream&>;
    };

#define OMBRIX_CHECK_ENGINE(Name)                                        \
    static_assert(random_number_engine<Name>, #Name " is a random number engine"); \
    static_assert(std::is_trivially_copyable_v<Name>, #Name " copies as bytes");
OMBRIX_GENERATORS(OMBRIX_CHECK_ENGINE)
#undef OMBRIX_CHECK_ENGINE

}  // namespace ombrix

// Common shape of the ombrix engines: 32-bit unsigned results over the
// whole word range, and everything else a standard random-number engine
// has ([rand.req.eng]), so that they work with <random>'s distributions
// and with std::shuffle.
//
// The engines are plain structs whose public fields are the generator's
// state, in the order the Python types store them. A default-constructed
// engine holds the default seeding; the constructors that take state words
// take them as they are (the Python types' seeding rules keep degenerate
// states out). Each engine also offers, as a standard engine does:
//
//   E(s), seed(s)     one result_type value s, mapped to a state by the
//                     engine's own rule (see its header), mostly the
//                     Python type's rule for one seed argument; every
//                     engine has a default_seed with E(E::default_seed)
//                     == E(). Cong's and SHR3's value constructors are also
//                     their state constructors, so SHR3(0) is SHR3's fixed
//                     point.
//   E(q), seed(q)     a seed sequence q: one q.generate() call fills the
//                     state words, then the same rules keep degenerate
//                     states out
//   seed()            back to the default state, E()
//   os << e, is >> e  the state as text: its fields in decimal, one space
//                     between them, in the order of E::visit_state (each
//                     header says which). Reading what was written gives
//                     an engine equal to the one written.
//
// == compares states, field by field. Equal states give equal sequences;
// a few unequal ones do too (an LFIB4 or SWB table rotated along with its
// index, LFSR components differing only in the bits the step drops, two
// multiply-with-carry words that step to the same word), so == is finer
// than "the same outputs from now on".
//
// No Python is needed to use them.
#pragma once

#if __cplusplus <= 201703L && !(defined(_MSVC_LANG) && _MSVC_LANG > 201703L)
#error "the ombrix headers need C++20 or later (for example -std=c++20)"
#endif

#include <array>
#include <cstddef>
#include <cstdint>
#include <ios>
#include <istream>
#include <limits>
#include <locale>
#include <ostream>
#include <type_traits>

namespace ombrix {

using word = std::uint32_t;

// A seed sequence as far as the engines use one: q.generate(first, last)
// fills a range of 32-bit words. A type that converts to a word never
// counts as one, so a value always goes to the value constructor.
template <class Q>
concept seed_sequence = !std::is_convertible_v<Q, word> && requires(Q& q, word* first) {
    q.generate(first, first);
};

// N words from one call of q.generate.
template <std::size_t N, seed_sequence Q>
constexpr std::array<word, N> seed_words(Q& q) {
    std::array<word, N> w{};
    q.generate(w.begin(), w.end());
    return w;
}

namespace text {

// The stream's format flags and fill, put back on leaving the scope (a
// failed read may throw from setstate).
template <class Stream>
class saved_format {
public:
    explicit saved_format(Stream& s) : stream(s), flags(s.flags()), fill(s.fill()) {}
    ~saved_format() {
        stream.flags(flags);
        stream.fill(fill);
    }
    saved_format(const saved_format&) = delete;
    saved_format& operator=(const saved_format&) = delete;

private:
    Stream& stream;
    std::ios_base::fmtflags flags;
    typename Stream::char_type fill;
};

// One number into `field`: skips white space, then wants a digit (no sign)
// and a value the field can hold. False otherwise; the field is then
// untouched.
template <class CharT, class Traits, class Field>
bool read_number(std::basic_istream<CharT, Traits>& is, Field& field) {
    is >> std::ws;
    const typename Traits::int_type next = is.peek();
    if (Traits::eq_int_type(next, Traits::eof())) return false;
    const auto& ctype = std::use_facet<std::ctype<CharT>>(is.getloc());
    if (!ctype.is(std::ctype_base::digit, Traits::to_char_type(next))) return false;
    unsigned long long value = 0;
    if (!(is >> value) || value > std::numeric_limits<Field>::max()) return false;
    field = static_cast<Field>(value);
    return true;
}

}  // namespace text

template <class Engine>
struct engine32 {
    using result_type = word;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0xFFFFFFFFu; }

    // Engines compare equal when their states do; the base holds none.
    friend constexpr bool operator==(const engine32&, const engine32&) = default;

    // Advances the engine n steps, discarding the values, by a jump in
    // O(log n) (SWB steps). The jumps live in <ombrix/jump.hpp>, which
    // <ombrix/ombrix.hpp> and <ombrix/catalogue.hpp> include: a program that
    // calls discard() includes one of them.
    constexpr void discard(unsigned long long n) {
        jump_forward(static_cast<Engine&>(*this), static_cast<std::uint64_t>(n));
    }

    // Each the same as assigning the engine built from the same arguments.
    constexpr void seed() { self() = Engine(); }
    constexpr void seed(result_type s) { self() = Engine(s); }
    template <seed_sequence Q>
    constexpr void seed(Q& q) {
        self() = Engine(q);
    }

    // The state words in decimal, one space apart, in the order of
    // Engine::visit_state; flags and fill are restored afterwards.
    template <class CharT, class Traits>
    friend std::basic_ostream<CharT, Traits>& operator<<(std::basic_ostream<CharT, Traits>& os,
                                                         const engine32& e) {
        const text::saved_format<std::basic_ostream<CharT, Traits>> saved(os);
        os.flags(std::ios_base::dec | std::ios_base::left);
        const CharT space = os.widen(' ');
        os.fill(space);
        bool first = true;
        Engine::visit_state(static_cast<const Engine&>(e), [&](const auto& field) {
            if (!first) os << space;
            first = false;
            os << static_cast<unsigned long>(field);
        });
        return os;
    }

    // Reads what << writes. On bad input (too few numbers, a sign or other
    // character where a number belongs, a value too large for its field) the
    // engine is left as it was and failbit is set.
    template <class CharT, class Traits>
    friend std::basic_istream<CharT, Traits>& operator>>(std::basic_istream<CharT, Traits>& is,
                                                         engine32& e) {
        const text::saved_format<std::basic_istream<CharT, Traits>> saved(is);
        is.flags(std::ios_base::dec);
        Engine read = static_cast<Engine&>(e);
        bool good = true;
        Engine::visit_state(read, [&](auto& field) {
            if (good) good = text::read_number(is, field);
        });
        if (good) static_cast<Engine&>(e) = read;
        else is.setstate(std::ios_base::failbit);
        return is;
    }

private:
    constexpr Engine& self() { return static_cast<Engine&>(*this); }
};

}  // namespace ombrix

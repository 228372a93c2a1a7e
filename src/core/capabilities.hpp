// What each generator type offers code outside its own module, as a table of
// plain functions over its state: bulk generation (by the vector kernels)
// and jumps. The table hangs off the type object, in a capsule stored in
// the type's own dictionary, so a consumer needs neither a list of the types
// nor their object layouts: it walks an object's MRO to the first static
// type that carries one.
#pragma once

#include <ombrix/bulk.hpp>
#include <ombrix/engine.hpp>
#include <ombrix/jump.hpp>

#include <Python.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace ombrix::py {

using ombrix::word;

// Engines are copied out of the object for a bulk call, into storage of this
// size: the largest engine (a 256-word table and two bytes) fits.
inline constexpr std::size_t max_engine_size = 1088;

struct Capabilities {
    static constexpr unsigned current_version = 1;

    unsigned version;
    unsigned index;  // the type's place in the registration order
    std::size_t engine_size;
    // Copies the object's state into an engine, and an engine back.
    void (*load)(const PyObject* object, void* engine);
    void (*store)(PyObject* object, const void* engine);
    // Writes the engine's next `count` values to `out`, which need not be
    // aligned; the engine is left after the last of them.
    void (*generate)(void* engine, char* out, std::size_t count);
    // Moves the engine `size` limbs' worth of steps (a little-endian count
    // in 64-bit limbs), back when `backward`. False, with the engine
    // unchanged, where there is no such state.
    bool (*jump)(void* engine, const std::uint64_t* limbs, std::size_t size, bool backward);
    // Whether a jump steps one value at a time (SWB) rather than taking
    // O(log n): the caller then moves it in pieces, looking for signals.
    bool jumps_by_stepping;
    // Why a backward jump can find no state, for the error message; null
    // where every state has a past.
    const char* no_predecessor;
};

// The capsule's name, checked whenever it is opened, and the key it sits
// under in the type's dictionary.
inline constexpr char capabilities_capsule_name[] =
    "ombrix.iterators._iterators_zinthe.capabilities";
inline constexpr char capabilities_key[] = "__ombrix_capabilities__";

// Writes `count` values of `engine` to `out`, by the vector kernels of the
// path chosen for this process (<ombrix/bulk.hpp>). An unaligned output
// goes through an aligned buffer.
template <class Engine>
void generate_words(void* engine, char* out, std::size_t count) {
    auto& state = *static_cast<Engine*>(engine);
    if (reinterpret_cast<std::uintptr_t>(out) % alignof(word) == 0) {
        ombrix::generate(state, std::span<word>(reinterpret_cast<word*>(out), count));
        return;
    }
    word chunk[8192];
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, std::size(chunk));
        ombrix::generate(state, std::span<word>(chunk, n));
        std::memcpy(out, chunk, n * sizeof(word));
        out += n * sizeof(word);
        count -= n;
    }
}

template <class Engine>
bool jump_engine(void* engine, const std::uint64_t* limbs, std::size_t size, bool backward) {
    return ombrix::advance(*static_cast<Engine*>(engine), std::span<const std::uint64_t>(limbs, size),
                           backward);
}

}  // namespace ombrix::py

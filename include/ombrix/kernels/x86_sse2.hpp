// Four 32-bit lanes in an SSE2 register: the x86-64 baseline, so this path
// runs on every x86-64 processor. SSE2 has no 32-bit low multiply, no
// unsigned compare and no rotate; they are made of what it has.
//
// Included by <ombrix/bulk.hpp> inside its namespace for this path, together
// with lanes.hpp; not a header of its own (no include guard on purpose).

inline constexpr std::size_t W = 4;

struct V {
    __m128i v;
};

inline V load(const word* p) { return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))}; }
inline void store(word* p, V a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v); }
inline V set1(word x) { return {_mm_set1_epi32(static_cast<int>(x))}; }

inline V operator+(V a, V b) { return {_mm_add_epi32(a.v, b.v)}; }
inline V operator-(V a, V b) { return {_mm_sub_epi32(a.v, b.v)}; }
inline V operator^(V a, V b) { return {_mm_xor_si128(a.v, b.v)}; }
inline V operator&(V a, V b) { return {_mm_and_si128(a.v, b.v)}; }
inline V operator*(V a, V b) {
    const __m128i even = _mm_mul_epu32(a.v, b.v);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a.v, 32), _mm_srli_epi64(b.v, 32));
    return {_mm_unpacklo_epi32(_mm_shuffle_epi32(even, 0x08), _mm_shuffle_epi32(odd, 0x08))};
}
template <int K>
V shl(V a) {
    return {_mm_slli_epi32(a.v, K)};
}
template <int K>
V shr(V a) {
    return {_mm_srli_epi32(a.v, K)};
}
inline V rotl16(V a) { return {_mm_or_si128(_mm_slli_epi32(a.v, 16), _mm_srli_epi32(a.v, 16))}; }
inline V xor3(V a, V b, V c) { return a ^ b ^ c; }
// (a & m) ^ b
inline V and_xor(V a, V m, V b) { return (a & m) ^ b; }
// Too few registers to hold a 256-word history.
inline constexpr bool history_in_registers = false;
template <int B>
V words_from(V lo, V hi) {
    word w[2 * W];
    store(w, lo);
    store(w + W, hi);
    return load(w + B);
}

// The lanes read as W/2 64-bit words: the low half of each times m, the
// high halves shifted down, and the sum.
inline V mul_low_halves(V a, word m) { return {_mm_mul_epu32(a.v, _mm_set1_epi32(static_cast<int>(m)))}; }
inline V high_halves(V a) { return {_mm_srli_epi64(a.v, 32)}; }
inline V add64(V a, V b) { return {_mm_add_epi64(a.v, b.v)}; }
// The low halves of the 64-bit words of a, then of b, in order.
inline V low_halves(V a, V b) {
    return {_mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(a.v), _mm_castsi128_ps(b.v), _MM_SHUFFLE(2, 0, 2, 0)))};
}

// Bit j set where lane j of a is below (equal to) lane j of b.
inline unsigned below_bits(V a, V b) {
    const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const __m128i less = _mm_cmplt_epi32(_mm_xor_si128(a.v, bias), _mm_xor_si128(b.v, bias));
    return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(less)));
}
inline unsigned equal_bits(V a, V b) {
    return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(a.v, b.v))));
}
// All ones in lane j where bit j of `bits` is set, 0 elsewhere.
inline V lanes_from_bits(unsigned bits) {
    const __m128i each = _mm_setr_epi32(1, 2, 4, 8);
    const __m128i spread = _mm_and_si128(_mm_set1_epi32(static_cast<int>(bits)), each);
    return {_mm_cmpeq_epi32(spread, each)};
}

// Rows become columns: afterwards r[j] holds lane j of the old r[0..W).
inline void transpose(V (&r)[W]) {
    const __m128i t0 = _mm_unpacklo_epi32(r[0].v, r[1].v);
    const __m128i t1 = _mm_unpackhi_epi32(r[0].v, r[1].v);
    const __m128i t2 = _mm_unpacklo_epi32(r[2].v, r[3].v);
    const __m128i t3 = _mm_unpackhi_epi32(r[2].v, r[3].v);
    r[0].v = _mm_unpacklo_epi64(t0, t2);
    r[1].v = _mm_unpackhi_epi64(t0, t2);
    r[2].v = _mm_unpacklo_epi64(t1, t3);
    r[3].v = _mm_unpackhi_epi64(t1, t3);
}

// Eight 32-bit lanes in an AVX2 register. AVX2 has no unsigned compare and
// no rotate; they are made of what it has.
//
// Included by <ombrix/bulk.hpp> inside its namespace for this path, compiled
// for AVX2, together with lanes.hpp; not a header of its own (no include
// guard on purpose).

inline constexpr std::size_t W = 8;

struct V {
    __m256i v;
};

inline V load(const word* p) { return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))}; }
inline void store(word* p, V a) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a.v); }
inline V set1(word x) { return {_mm256_set1_epi32(static_cast<int>(x))}; }

inline V operator+(V a, V b) { return {_mm256_add_epi32(a.v, b.v)}; }
inline V operator-(V a, V b) { return {_mm256_sub_epi32(a.v, b.v)}; }
inline V operator^(V a, V b) { return {_mm256_xor_si256(a.v, b.v)}; }
inline V operator&(V a, V b) { return {_mm256_and_si256(a.v, b.v)}; }
inline V operator*(V a, V b) { return {_mm256_mullo_epi32(a.v, b.v)}; }
template <int K>
V shl(V a) {
    return {_mm256_slli_epi32(a.v, K)};
}
template <int K>
V shr(V a) {
    return {_mm256_srli_epi32(a.v, K)};
}
inline V rotl16(V a) {
    return {_mm256_or_si256(_mm256_slli_epi32(a.v, 16), _mm256_srli_epi32(a.v, 16))};
}
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
inline V mul_low_halves(V a, word m) {
    return {_mm256_mul_epu32(a.v, _mm256_set1_epi32(static_cast<int>(m)))};
}
inline V high_halves(V a) { return {_mm256_srli_epi64(a.v, 32)}; }
inline V add64(V a, V b) { return {_mm256_add_epi64(a.v, b.v)}; }
// The low halves of the 64-bit words of a, then of b, in order.
inline V low_halves(V a, V b) {
    const __m256 mixed = _mm256_shuffle_ps(_mm256_castsi256_ps(a.v), _mm256_castsi256_ps(b.v),
                                           _MM_SHUFFLE(2, 0, 2, 0));
    return {_mm256_permute4x64_epi64(_mm256_castps_si256(mixed), _MM_SHUFFLE(3, 1, 2, 0))};
}

// Bit j set where lane j of a is below (equal to) lane j of b.
inline unsigned below_bits(V a, V b) {
    const __m256i bias = _mm256_set1_epi32(static_cast<int>(0x80000000u));
    const __m256i less = _mm256_cmpgt_epi32(_mm256_xor_si256(b.v, bias), _mm256_xor_si256(a.v, bias));
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(less)));
}
inline unsigned equal_bits(V a, V b) {
    return static_cast<unsigned>(
        _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(a.v, b.v))));
}
// All ones in lane j where bit j of `bits` is set, 0 elsewhere.
inline V lanes_from_bits(unsigned bits) {
    const __m256i each = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    const __m256i spread = _mm256_and_si256(_mm256_set1_epi32(static_cast<int>(bits)), each);
    return {_mm256_cmpeq_epi32(spread, each)};
}

// Rows become columns: afterwards r[j] holds lane j of the old r[0..W).
inline void transpose(V (&r)[W]) {
    __m256i t[8], u[8];
    OMBRIX_UNROLL
    for (int i = 0; i < 8; i += 2) {
        t[i] = _mm256_unpacklo_epi32(r[i].v, r[i + 1].v);
        t[i + 1] = _mm256_unpackhi_epi32(r[i].v, r[i + 1].v);
    }
    OMBRIX_UNROLL
    for (int i = 0; i < 8; i += 4) {
        u[i] = _mm256_unpacklo_epi64(t[i], t[i + 2]);
        u[i + 1] = _mm256_unpackhi_epi64(t[i], t[i + 2]);
        u[i + 2] = _mm256_unpacklo_epi64(t[i + 1], t[i + 3]);
        u[i + 3] = _mm256_unpackhi_epi64(t[i + 1], t[i + 3]);
    }
    OMBRIX_UNROLL
    for (int i = 0; i < 4; ++i) {
        r[i].v = _mm256_permute2x128_si256(u[i], u[i + 4], 0x20);
        r[i + 4].v = _mm256_permute2x128_si256(u[i], u[i + 4], 0x31);
    }
}

// Sixteen 32-bit lanes in an AVX-512 register, using AVX-512F alone.
//
// Included by <ombrix/bulk.hpp> inside its namespace for this path, compiled
// for AVX-512F, together with lanes.hpp; not a header of its own (no include
// guard on purpose).

inline constexpr std::size_t W = 16;

struct V {
    __m512i v;
};

inline V load(const word* p) { return {_mm512_loadu_si512(p)}; }
inline void store(word* p, V a) { _mm512_storeu_si512(p, a.v); }
inline V set1(word x) { return {_mm512_set1_epi32(static_cast<int>(x))}; }

inline V operator+(V a, V b) { return {_mm512_add_epi32(a.v, b.v)}; }
inline V operator-(V a, V b) { return {_mm512_sub_epi32(a.v, b.v)}; }
inline V operator^(V a, V b) { return {_mm512_xor_si512(a.v, b.v)}; }
inline V operator&(V a, V b) { return {_mm512_and_si512(a.v, b.v)}; }
inline V operator*(V a, V b) { return {_mm512_mullo_epi32(a.v, b.v)}; }
template <int K>
V shl(V a) {
    return {_mm512_slli_epi32(a.v, K)};
}
template <int K>
V shr(V a) {
    return {_mm512_srli_epi32(a.v, K)};
}
inline V rotl16(V a) { return {_mm512_rol_epi32(a.v, 16)}; }
inline V xor3(V a, V b, V c) { return {_mm512_ternarylogic_epi32(a.v, b.v, c.v, 0x96)}; }
// (a & m) ^ b
inline V and_xor(V a, V m, V b) { return {_mm512_ternarylogic_epi32(a.v, m.v, b.v, 0x6A)}; }
// Words b.. of lo, then the first b of hi: the W words starting b into lo:hi.
template <int B>
V words_from(V lo, V hi) {
    return {_mm512_alignr_epi32(hi.v, lo.v, B)};
}
// Enough registers to hold a 256-word history.
inline constexpr bool history_in_registers = true;

// The lanes read as W/2 64-bit words: the low half of each times m, the
// high halves shifted down, and the sum.
inline V mul_low_halves(V a, word m) {
    return {_mm512_mul_epu32(a.v, _mm512_set1_epi32(static_cast<int>(m)))};
}
inline V high_halves(V a) { return {_mm512_srli_epi64(a.v, 32)}; }
inline V add64(V a, V b) { return {_mm512_add_epi64(a.v, b.v)}; }
// The low halves of the 64-bit words of a, then of b, in order.
inline V low_halves(V a, V b) {
    const __m512i even = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    return {_mm512_permutex2var_epi32(a.v, even, b.v)};
}

// Bit j set where lane j of a is below (equal to) lane j of b.
inline unsigned below_bits(V a, V b) { return _mm512_cmplt_epu32_mask(a.v, b.v); }
inline unsigned equal_bits(V a, V b) { return _mm512_cmpeq_epi32_mask(a.v, b.v); }
// All ones in lane j where bit j of `bits` is set, 0 elsewhere.
inline V lanes_from_bits(unsigned bits) {
    return {_mm512_maskz_set1_epi32(static_cast<__mmask16>(bits), -1)};
}

// Rows become columns: afterwards r[j] holds lane j of the old r[0..W).
// Pairs of rows are interleaved by words, then by double words, which
// transposes each 4x4 block within a 128-bit quarter; the quarters are then
// transposed as a 4x4 matrix of their own.
inline void transpose(V (&r)[W]) {
    __m512i t[16], u[16];
    OMBRIX_UNROLL
    for (int i = 0; i < 16; i += 2) {
        t[i] = _mm512_unpacklo_epi32(r[i].v, r[i + 1].v);
        t[i + 1] = _mm512_unpackhi_epi32(r[i].v, r[i + 1].v);
    }
    // u[4g + c]: quarter k holds column 4k + c of rows 4g..4g+3.
    OMBRIX_UNROLL
    for (int g = 0; g < 16; g += 4) {
        u[g] = _mm512_unpacklo_epi64(t[g], t[g + 2]);
        u[g + 1] = _mm512_unpackhi_epi64(t[g], t[g + 2]);
        u[g + 2] = _mm512_unpacklo_epi64(t[g + 1], t[g + 3]);
        u[g + 3] = _mm512_unpackhi_epi64(t[g + 1], t[g + 3]);
    }
    OMBRIX_UNROLL
    for (int c = 0; c < 4; ++c) {
        const __m512i a0 = _mm512_shuffle_i32x4(u[c], u[4 + c], _MM_SHUFFLE(1, 0, 1, 0));
        const __m512i a1 = _mm512_shuffle_i32x4(u[c], u[4 + c], _MM_SHUFFLE(3, 2, 3, 2));
        const __m512i b0 = _mm512_shuffle_i32x4(u[8 + c], u[12 + c], _MM_SHUFFLE(1, 0, 1, 0));
        const __m512i b1 = _mm512_shuffle_i32x4(u[8 + c], u[12 + c], _MM_SHUFFLE(3, 2, 3, 2));
        r[c].v = _mm512_shuffle_i32x4(a0, b0, _MM_SHUFFLE(2, 0, 2, 0));
        r[4 + c].v = _mm512_shuffle_i32x4(a0, b0, _MM_SHUFFLE(3, 1, 3, 1));
        r[8 + c].v = _mm512_shuffle_i32x4(a1, b1, _MM_SHUFFLE(2, 0, 2, 0));
        r[12 + c].v = _mm512_shuffle_i32x4(a1, b1, _MM_SHUFFLE(3, 1, 3, 1));
    }
}

// The bulk kernels, written once over a vector of W 32-bit lanes (V, W and
// the operations on V come from the path's own header, included just
// before this one). Every kernel writes exactly the values the scalar
// engine would and leaves the engine exactly where the scalar loop would.
//
//   Cong          lanes hold W consecutive values and each steps W values
//                 at once, by the W-step multiplier and increment.
//   LFIB4, SWB    every lag is at least 78, so W consecutive values depend
//                 only on values already written: the kernel reads them back
//                 from the output (the first 256 from the table). SWB's
//                 borrows form a carry chain, resolved 64 at a time by one
//                 64-bit addition.
//   the others    lane j runs segment j of the output, started by a jump;
//                 W steps of W lanes are transposed in registers, so each
//                 lane stores W consecutive values of its own segment.
//
// Included by <ombrix/bulk.hpp> inside each path's namespace; not a header
// of its own (no include guard on purpose).

inline word lane(V a, std::size_t j) {
    word w[W];
    store(w, a);
    return w[j];
}

// --- Cong ---------------------------------------------------------------

inline void fill(Cong& e, word* out, std::size_t n) {
    constexpr std::size_t U = 4, block = U * W;
    const std::size_t blocks = n / block;
    if (blocks < 2) return scalar::fill(e, out, n);
    // The map of `block` steps, a power of two, from the jump tables.
    static_assert(std::has_single_bit(block));
    constexpr jumping::affine_map jump = jumping::cong_part::powers[std::countr_zero(block)];
    const V a = set1(jump.a), c = set1(jump.c);
    word first[block];
    scalar::fill(e, first, block);
    V v[U];
    OMBRIX_UNROLL
    for (std::size_t u = 0; u < U; ++u) v[u] = load(first + u * W);
    word* p = out;
    for (std::size_t b = 1; b < blocks; ++b, p += block)
        OMBRIX_UNROLL
        for (std::size_t u = 0; u < U; ++u) {
            store(p + u * W, v[u]);
            v[u] = v[u] * a + c;
        }
    OMBRIX_UNROLL
    for (std::size_t u = 0; u < U; ++u) store(p + u * W, v[u]);
    e.cong = lane(v[U - 1], W - 1);
    scalar::fill(e, out + blocks * block, n - blocks * block);
}

// --- LFIB4 and SWB: values read back from the output ----------------------

// The table in the order of age, oldest first: the 256 values before the
// next one, as they would sit in a linear history.
inline void history(const table& t, std::uint8_t c, word* h) {
    for (int i = 0; i < lagged_table_size; ++i) h[i] = t[std::uint8_t(c + 1 + i)];
}
// The table and index after the values out[0..n), n >= 256.
inline void table_after(table& t, std::uint8_t& c, const word* out, std::size_t n) {
    for (std::size_t k = n - lagged_table_size; k < n; ++k) t[std::uint8_t(c + 1 + k)] = out[k];
    c = std::uint8_t(c + n);
}

// Lagged kernels run over p[0..n) with the 256 values before p readable:
// first into a local history, then straight into the output.
template <class Run>
void lagged_fill(table& t, std::uint8_t& c, word* out, std::size_t n, Run run) {
    word first[2 * lagged_table_size];
    history(t, c, first);
    run(first + lagged_table_size, std::size_t(lagged_table_size));
    std::memcpy(out, first + lagged_table_size, lagged_table_size * sizeof(word));
    run(out + lagged_table_size, n - lagged_table_size);
    table_after(t, c, out, n);
}

// Where the registers can hold the 256 values before the next W (AVX-512:
// 16 of them), each lag is a shift across two registers, and no value is
// read back from memory just after it was stored. h[(s + R - a) % R] holds
// the values a*W before the vector being made.
inline constexpr std::size_t history_registers = lagged_table_size / W;

template <std::size_t Lag, std::size_t S>
V lagged(const V (&h)[history_registers]) {
    constexpr std::size_t R = history_registers, a = (Lag + W - 1) / W, b = a * W - Lag;
    if constexpr (b == 0) return h[(S + R - a) % R];
    else return words_from<int(b)>(h[(S + R - a) % R], h[(S + R - a + 1) % R]);
}

template <std::size_t... S>
void lfib4_registers_round(V (&h)[history_registers], word* p, std::index_sequence<S...>) {
    ((h[S] = (lagged<256, S>(h) + lagged<198, S>(h)) + (lagged<137, S>(h) + lagged<78, S>(h)),
      store(p + S * W, h[S])),
     ...);
}

inline std::size_t lfib4_registers(word* p, std::size_t n) {
    V h[history_registers];
    OMBRIX_UNROLL
    for (std::size_t i = 0; i < history_registers; ++i) h[i] = load(p - lagged_table_size + i * W);
    std::size_t k = 0;
    for (; k + lagged_table_size <= n; k += lagged_table_size)
        lfib4_registers_round(h, p + k, std::make_index_sequence<history_registers>());
    return k;
}

inline void lfib4_run(word* p, std::size_t n) {
    std::size_t k = 0;
    if constexpr (history_in_registers) k = lfib4_registers(p, n);
    for (; k + W <= n; k += W) {
        const word* q = p + k;
        store(p + k, (load(q - 256) + load(q - 198)) + (load(q - 137) + load(q - 78)));
    }
    for (word* q = p + k; q < p + n; ++q) *q = q[-256] + q[-198] + q[-137] + q[-78];
}

inline void fill(LFIB4& e, word* out, std::size_t n) {
    if (n < 4 * lagged_table_size) return scalar::fill(e, out, n);
    lagged_fill(e.t, e.c, out, n, lfib4_run);
}

// One SWB step over the linear history: x[k] = x[k-222] - (x[k-237] + b).
inline void swb_scalar(word* p, std::size_t n, std::uint8_t& borrow) {
    for (word* q = p; q < p + n; ++q) {
        const word x = q[-222];
        const word y = q[-237] + borrow;
        *q = x - y;
        borrow = x < y;
    }
}

// 64 steps at a time. Without the wrap, a step borrows where x < y, and
// passes the incoming borrow on where x == y: the borrows are the carries
// of (G | P) + G + borrow, G and P the 64 "below" and "equal" bits. A
// subtrahend word of 2**32-1 breaks that (with a borrow it subtracts
// nothing and borrows nothing), so a block holding one runs scalar.
inline constexpr std::size_t swb_block = 64, swb_vectors = swb_block / W;

// One block into r from its minuends x and subtrahends y; false, with
// nothing done, where the wrap rule applies.
inline bool swb_vector_block(const V (&x)[swb_vectors], const V (&y)[swb_vectors], V (&r)[swb_vectors],
                             std::uint8_t& borrow) {
    const V all_ones = set1(0xFFFFFFFFu);
    std::uint64_t below = 0, equal = 0;
    unsigned wraps = 0;
    OMBRIX_UNROLL
    for (std::size_t i = 0; i < swb_vectors; ++i) {
        below |= std::uint64_t{below_bits(x[i], y[i])} << (i * W);
        equal |= std::uint64_t{equal_bits(x[i], y[i])} << (i * W);
        wraps |= equal_bits(y[i], all_ones);
    }
    if (wraps) return false;
    const std::uint64_t a = below | equal;
    std::uint64_t sum;
    const bool carry_out = __builtin_add_overflow(a, below, &sum) |
                           __builtin_add_overflow(sum, std::uint64_t{borrow}, &sum);
    const std::uint64_t borrows_in = sum ^ a ^ below;  // bit i: the borrow step i takes
    OMBRIX_UNROLL
    for (std::size_t i = 0; i < swb_vectors; ++i) {
        const unsigned bits = static_cast<unsigned>(borrows_in >> (i * W)) & ((1u << W) - 1u);
        r[i] = x[i] - y[i] + lanes_from_bits(bits);
    }
    borrow = carry_out;
    return true;
}

// The blocks of a round of 256 values with the history in registers (as
// for LFIB4: lags 222 = 16*14 - 2 and 237 = 16*15 - 3 with 16 lanes). A
// block the wrap rule sends to the scalar loop is read back into them.
template <std::size_t S, std::size_t... I>
void swb_registers_block(V (&h)[history_registers], word* q, std::uint8_t& borrow,
                         std::index_sequence<I...>) {
    const V x[swb_vectors] = {lagged<222, S + I>(h)...};
    const V y[swb_vectors] = {lagged<237, S + I>(h)...};
    V r[swb_vectors];
    if (swb_vector_block(x, y, r, borrow)) {
        ((h[S + I] = r[I], store(q + I * W, r[I])), ...);
    } else {
        swb_scalar(q, swb_block, borrow);
        ((h[S + I] = load(q + I * W)), ...);
    }
}

template <std::size_t... B>
void swb_registers_round(V (&h)[history_registers], word* p, std::uint8_t& borrow,
                         std::index_sequence<B...>) {
    (swb_registers_block<B * swb_vectors>(h, p + B * swb_block, borrow,
                                          std::make_index_sequence<swb_vectors>()),
     ...);
}

inline std::size_t swb_registers(word* p, std::size_t n, std::uint8_t& borrow) {
    V h[history_registers];
    OMBRIX_UNROLL
    for (std::size_t i = 0; i < history_registers; ++i) h[i] = load(p - lagged_table_size + i * W);
    std::size_t k = 0;
    for (; k + lagged_table_size <= n; k += lagged_table_size)
        swb_registers_round(h, p + k, borrow,
                            std::make_index_sequence<lagged_table_size / swb_block>());
    return k;
}

inline void swb_run(word* p, std::size_t n, std::uint8_t& borrow) {
    std::size_t k = 0;
    // A stored borrow above 1 (no step makes one) adds in whole, once.
    if (borrow > 1 && n > 0) swb_scalar(p, ++k, borrow);
    if constexpr (history_in_registers) k += swb_registers(p + k, n - k, borrow);
    for (; k + swb_block <= n; k += swb_block) {
        word* q = p + k;
        V x[swb_vectors], y[swb_vectors], r[swb_vectors];
        OMBRIX_UNROLL
        for (std::size_t i = 0; i < swb_vectors; ++i) {
            x[i] = load(q + i * W - 222);
            y[i] = load(q + i * W - 237);
        }
        if (!swb_vector_block(x, y, r, borrow)) {
            swb_scalar(q, swb_block, borrow);
            continue;
        }
        OMBRIX_UNROLL
        for (std::size_t i = 0; i < swb_vectors; ++i) store(q + i * W, r[i]);
    }
    swb_scalar(p + k, n - k, borrow);
}

inline void fill(SWB& e, word* out, std::size_t n) {
    if (n < 4 * lagged_table_size) return scalar::fill(e, out, n);
    std::uint8_t& borrow = e.borrow;
    lagged_fill(e.t, e.c, out, n, [&borrow](word* p, std::size_t count) { swb_run(p, count, borrow); });
}

// --- segments started by jumps ----------------------------------------------

// Each Lanes type holds W engines' states in vectors: built from W engines,
// stepped all at once (next() returns every lane's value), and read back
// into an engine one lane at a time.

// One field of W engines, lane j from e[j].
template <class Engine>
V gather(const Engine* e, word Engine::*field) {
    word w[W];
    OMBRIX_UNROLL
    for (std::size_t j = 0; j < W; ++j) w[j] = e[j].*field;
    return load(w);
}

struct shr3_lanes {
    V s;
    explicit shr3_lanes(const SHR3* e) : s(gather(e, &SHR3::shr3)) {}
    static V step(V& s) {
        s = s ^ shl<13>(s);
        s = s ^ shr<17>(s);
        s = s ^ shl<5>(s);
        return s;
    }
    V next() { return step(s); }
    void put(SHR3& e, std::size_t j) const { e.shr3 = lane(s, j); }
};

inline V cong_lanes_step(V& c) {
    c = c * set1(69069u) + set1(12345u);
    return c;
}

inline void mwc16_lanes_step(V& upper, V& lower) {
    const V low16 = set1(0xFFFFu);
    upper = (upper & low16) * set1(36969u) + shr<16>(upper);
    lower = (lower & low16) * set1(18000u) + shr<16>(lower);
}

template <word (*Output)(word, word)>
struct mwc16_lanes {
    using Engine = basic_mwc16<Output>;
    V upper, lower;
    template <class E>
    explicit mwc16_lanes(const E* e) : upper(gather(e, &E::mwc_upper)), lower(gather(e, &E::mwc_lower)) {}
    static V output(V upper, V lower) {
        if constexpr (std::is_same_v<Engine, MWC1>) return shl<16>(upper) + lower;
        else return rotl16(upper) + lower;
    }
    V next() {
        mwc16_lanes_step(upper, lower);
        return output(upper, lower);
    }
    template <class E>
    void put(E& e, std::size_t j) const {
        e.mwc_upper = lane(upper, j);
        e.mwc_lower = lane(lower, j);
    }
};

// Carry:value pairs as 64-bit words, the first W/2 lanes in `low`, the rest
// in `high`; a step is value * a + carry, one 64-bit product per lane.
struct mwc64_lanes {
    V low, high;
    template <class E>
    explicit mwc64_lanes(const E* e) {
        word w[2 * W];
        OMBRIX_UNROLL
        for (std::size_t j = 0; j < W; ++j) {
            w[2 * j] = e[j].mwc_lower;
            w[2 * j + 1] = e[j].mwc_upper;
        }
        low = load(w);
        high = load(w + W);
    }
    static V step(V t) { return add64(mul_low_halves(t, 698769069u), high_halves(t)); }
    V next() {
        low = step(low);
        high = step(high);
        return low_halves(low, high);
    }
    template <class E>
    void put(E& e, std::size_t j) const {
        word w[2 * W];
        store(w, low);
        store(w + W, high);
        e.mwc_lower = w[2 * j];
        e.mwc_upper = w[2 * j + 1];
    }
};

struct kiss_lanes {
    mwc16_lanes<mwc2_output> mwc;
    V cong, shr3;
    explicit kiss_lanes(const KISS* e)
        : mwc(e), cong(gather(e, &KISS::cong)), shr3(gather(e, &KISS::shr3)) {}
    V next() {
        mwc16_lanes_step(mwc.upper, mwc.lower);
        cong_lanes_step(cong);
        shr3_lanes::step(shr3);
        return (mwc.output(mwc.upper, mwc.lower) ^ cong) + shr3;
    }
    void put(KISS& e, std::size_t j) const {
        mwc.put(e, j);
        e.cong = lane(cong, j);
        e.shr3 = lane(shr3, j);
    }
};

struct kiss2_lanes {
    mwc64_lanes mwc;
    V cong, shr3;
    explicit kiss2_lanes(const KISS2* e)
        : mwc(e), cong(gather(e, &KISS2::cong)), shr3(gather(e, &KISS2::shr3)) {}
    V next() {
        const V value = mwc.next();
        cong_lanes_step(cong);
        shr3_lanes::step(shr3);
        return value + cong + shr3;
    }
    void put(KISS2& e, std::size_t j) const {
        mwc.put(e, j);
        e.cong = lane(cong, j);
        e.shr3 = lane(shr3, j);
    }
};

template <std::size_t N, const lfsr_component (&Components)[N]>
struct lfsr_lanes {
    using Engine = combined_lfsr<N, Components>;
    V z[N];
    explicit lfsr_lanes(const Engine* e) {
        OMBRIX_UNROLL
        for (std::size_t i = 0; i < N; ++i) {
            word w[W];
            OMBRIX_UNROLL
            for (std::size_t j = 0; j < W; ++j) w[j] = e[j].z[i];
            z[i] = load(w);
        }
    }
    template <std::size_t I>
    V component() {
        constexpr lfsr_component k = Components[I];
        const V b = shr<k.s2>(shl<k.s1>(z[I]) ^ z[I]);
        z[I] = and_xor(shl<k.s3>(z[I]), set1(k.mask << k.s3), b);
        return z[I];
    }
    template <std::size_t... I>
    V all(std::index_sequence<I...>) {
        const V c[N] = {component<I>()...};
        if constexpr (N == 4) return xor3(c[0], c[1], c[2]) ^ c[3];
        else return xor3(c[0], c[1], c[2]);
    }
    V next() { return all(std::make_index_sequence<N>()); }
    void put(Engine& e, std::size_t j) const {
        OMBRIX_UNROLL
        for (std::size_t i = 0; i < N; ++i) e.z[i] = lane(z[i], j);
    }
};

// Fewer values than this go to the scalar loop: the W jumps that start the
// lanes would cost more than the lanes save.
inline constexpr std::size_t segmented_minimum = 4096;

// The jump that starts each lane `length` after the one before. A call of
// the same length as this thread's last one (a buffer refilled, a long fill
// in equal pieces) has it set up once and reused; any other call jumps
// plainly.
template <class Engine>
const fixed_jump<Engine>* lane_jump(std::size_t length) {
    struct cache {
        std::size_t last = 0;
        std::optional<fixed_jump<Engine>> jump;
    };
    static thread_local cache c;
    if (c.jump && c.jump->distance() == length) return &*c.jump;
    if (c.last != length) {
        c.last = length;
        return nullptr;
    }
    c.jump.emplace(length);
    return &*c.jump;
}

// Lane j writes out[j*length, (j+1)*length), a whole number of W-value
// tiles. An odd number of tiles keeps the W stores of a tile from falling
// on the same offset within a 4 KiB page. The last lane ends where the
// engine goes on, scalar, for the few values left.
template <class Lanes, class Engine>
void segmented_fill(Engine& e, word* out, std::size_t n) {
    std::size_t tiles = n / (W * W);
    if (n < segmented_minimum || tiles < 3) return scalar::fill(e, out, n);
    if (tiles % 2 == 0) --tiles;
    const std::size_t length = tiles * W;
    Engine starts[W];
    starts[0] = e;
    const fixed_jump<Engine>* jump = lane_jump<Engine>(length);
    for (std::size_t j = 1; j < W; ++j) {
        starts[j] = starts[j - 1];
        if (jump) (*jump)(starts[j]);
        else jump_forward(starts[j], std::uint64_t{length});
    }
    Lanes lanes(starts);
    for (std::size_t i = 0; i < length; i += W) {
        V rows[W];
        OMBRIX_UNROLL
        for (std::size_t r = 0; r < W; ++r) rows[r] = lanes.next();
        transpose(rows);
        OMBRIX_UNROLL
        for (std::size_t j = 0; j < W; ++j) store(out + j * length + i, rows[j]);
    }
    lanes.put(e, W - 1);
    scalar::fill(e, out + W * length, n - W * length);
}

inline void fill(SHR3& e, word* out, std::size_t n) { segmented_fill<shr3_lanes>(e, out, n); }
template <word (*Output)(word, word)>
void fill(basic_mwc16<Output>& e, word* out, std::size_t n) {
    segmented_fill<mwc16_lanes<Output>>(e, out, n);
}
inline void fill(MWC64& e, word* out, std::size_t n) { segmented_fill<mwc64_lanes>(e, out, n); }
inline void fill(KISS& e, word* out, std::size_t n) { segmented_fill<kiss_lanes>(e, out, n); }
inline void fill(KISS2& e, word* out, std::size_t n) { segmented_fill<kiss2_lanes>(e, out, n); }
template <std::size_t N, const lfsr_component (&Components)[N]>
void fill(combined_lfsr<N, Components>& e, word* out, std::size_t n) {
    segmented_fill<lfsr_lanes<N, Components>>(e, out, n);
}

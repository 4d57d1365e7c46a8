#pragma once

// The vector kernels, written once over a vector traits type and instantiated
// per instruction set in their own translation units. Everything here has
// internal linkage so code built for a wider instruction set never leaks into
// callers built for the baseline.

#include "scan/bytesearch.h"

namespace {

inline bool verifyAt(const char *at, const bytesearch::NeedleView &needle) {
    const char *lower = needle.lower;
    const char *fold = needle.fold;
    const int size = needle.size;
    for (int i = 0; i < size; ++i)
        if ((at[i] | fold[i]) != lower[i])
            return false;
    return true;
}

template <class V>
const char *findNeedle(const char *begin, const char *end, const bytesearch::NeedleView &needle) {
    const int size = needle.size;
    if (size == 0 || end - begin < size)
        return nullptr;
    const char *last = end - size; // last possible start
    const int off1 = needle.first;
    const int off2 = needle.second;
    const auto c1 = V::splat(needle.lower[off1]);
    const auto f1 = V::splat(needle.fold[off1]);
    const auto c2 = V::splat(needle.lower[off2]);
    const auto f2 = V::splat(needle.fold[off2]);
    const char *p = begin;
    for (; last - p >= V::Width - 1; p += V::Width) {
        const auto a = V::equal(V::orBits(V::load(p + off1), f1), c1);
        const auto b = V::equal(V::orBits(V::load(p + off2), f2), c2);
        for (unsigned mask = V::mask(V::andBits(a, b)); mask != 0; mask &= mask - 1) {
            const char *at = p + __builtin_ctz(mask);
            if (verifyAt(at, needle))
                return at;
        }
    }
    for (; p <= last; ++p)
        if (verifyAt(p, needle))
            return p;
    return nullptr;
}

// Both needles' candidates are taken from the same chunks, so two terms cost
// one pass over the bytes rather than two.
template <class V>
const char *findEither(const char *begin, const char *end, const bytesearch::NeedleView &a,
                       const bytesearch::NeedleView &b) {
    const int longest = a.size > b.size ? a.size : b.size;
    const char *p = begin;
    if (a.size > 0 && b.size > 0 && end - begin >= longest) {
        const char *last = end - longest;
        const auto a1 = V::splat(a.lower[a.first]), af1 = V::splat(a.fold[a.first]);
        const auto a2 = V::splat(a.lower[a.second]), af2 = V::splat(a.fold[a.second]);
        const auto b1 = V::splat(b.lower[b.first]), bf1 = V::splat(b.fold[b.first]);
        const auto b2 = V::splat(b.lower[b.second]), bf2 = V::splat(b.fold[b.second]);
        for (; last - p >= V::Width - 1; p += V::Width) {
            const unsigned inA =
                V::mask(V::andBits(V::equal(V::orBits(V::load(p + a.first), af1), a1),
                                   V::equal(V::orBits(V::load(p + a.second), af2), a2)));
            const unsigned inB =
                V::mask(V::andBits(V::equal(V::orBits(V::load(p + b.first), bf1), b1),
                                   V::equal(V::orBits(V::load(p + b.second), bf2), b2)));
            for (unsigned mask = inA | inB; mask != 0; mask &= mask - 1) {
                const int at = __builtin_ctz(mask);
                if ((((inA >> at) & 1) && verifyAt(p + at, a)) ||
                    (((inB >> at) & 1) && verifyAt(p + at, b)))
                    return p + at;
            }
        }
    }
    // The last few places (or an empty needle): each needle alone, the nearer wins.
    const char *inA = findNeedle<V>(p, end, a);
    const char *inB = findNeedle<V>(p, end, b);
    return !inA ? inB : !inB ? inA : inA < inB ? inA : inB;
}

template <class V> const char *findLineEnd(const char *begin, const char *end) {
    const auto cr = V::splat('\r');
    const auto lf = V::splat('\n');
    const char *p = begin;
    for (; end - p >= V::Width; p += V::Width) {
        const auto v = V::load(p);
        if (const unsigned mask = V::mask(V::orBits(V::equal(v, cr), V::equal(v, lf))))
            return p + __builtin_ctz(mask);
    }
    for (; p < end; ++p)
        if (*p == '\r' || *p == '\n')
            return p;
    return end;
}

// Line ends = LF + CR - (CR LF pairs). Per-lane byte counters are summed
// every 255 chunks, before they can wrap. Most text has no CR: a block is
// counted for LFs alone first, and again in full only when it holds a CR.
template <class V> std::size_t countLineEndsInFull(const char *&p, int chunks) {
    const auto crs = V::splat('\r');
    const auto lfs = V::splat('\n');
    auto lf = V::zero();
    auto cr = V::zero();
    auto pairs = V::zero();
    for (int i = 0; i < chunks; ++i, p += V::Width) {
        const auto isCr = V::equal(V::load(p), crs);
        lf = V::sub(lf, V::equal(V::load(p), lfs));
        cr = V::sub(cr, isCr);
        pairs = V::sub(pairs, V::andBits(isCr, V::equal(V::load(p + 1), lfs)));
    }
    return V::sumBytes(lf) + V::sumBytes(cr) - V::sumBytes(pairs);
}

template <class V> std::size_t countLineEnds(const char *begin, const char *end) {
    const auto crs = V::splat('\r');
    const auto lfs = V::splat('\n');
    std::size_t count = 0;
    const char *p = begin;
    while (end - p > V::Width) { // the pair test reads one byte past the chunk
        const char *block = p;
        auto lf = V::zero();
        auto anyCr = V::zero();
        int chunks = 0;
        for (; chunks < 255 && end - p > V::Width; ++chunks, p += V::Width) {
            const auto v = V::load(p);
            lf = V::sub(lf, V::equal(v, lfs));
            anyCr = V::orBits(anyCr, V::equal(v, crs));
        }
        if (V::mask(anyCr) == 0) {
            count += V::sumBytes(lf);
        } else {
            p = block;
            count += countLineEndsInFull<V>(p, chunks);
        }
    }
    // An LF at the tail's start whose CR ended the last chunk was taken as a
    // pair above and counts once here.
    bool previousCr = false;
    for (; p < end; ++p) {
        if (*p == '\n')
            count += previousCr ? 0 : 1;
        else if (*p == '\r')
            ++count;
        previousCr = *p == '\r';
    }
    return count;
}

template <class V> bytesearch::Kernels makeKernels() {
    return {&findNeedle<V>, &findEither<V>, &findLineEnd<V>, &countLineEnds<V>};
}

} // namespace

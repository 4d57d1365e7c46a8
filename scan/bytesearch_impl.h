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
    return {&findNeedle<V>, &findLineEnd<V>, &countLineEnds<V>};
}

} // namespace

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

template <class V> std::size_t countLineEnds(const char *begin, const char *end) {
    const auto crs = V::splat('\r');
    const auto lfs = V::splat('\n');
    std::size_t count = 0;
    unsigned previousCr = 0; // a CR in the last byte of the previous chunk
    const char *p = begin;
    for (; end - p >= V::Width; p += V::Width) {
        const auto v = V::load(p);
        const unsigned lf = V::mask(V::equal(v, lfs));
        const unsigned cr = V::mask(V::equal(v, crs));
        if ((lf | cr) == 0) {
            previousCr = 0;
            continue;
        }
        count += __builtin_popcount(lf) + __builtin_popcount(cr);
        count -= __builtin_popcount(cr & (lf >> 1)) + (previousCr & lf & 1u);
        previousCr = cr >> (V::Width - 1);
    }
    for (; p < end; ++p) {
        if (*p == '\n') {
            count += previousCr ? 0 : 1;
            previousCr = 0;
        } else if (*p == '\r') {
            ++count;
            previousCr = 1;
        } else {
            previousCr = 0;
        }
    }
    return count;
}

template <class V> bytesearch::Kernels makeKernels() {
    return {&findNeedle<V>, &findLineEnd<V>, &countLineEnds<V>};
}

} // namespace

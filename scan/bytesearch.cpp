#include "scan/bytesearch.h"
#include "scan/bytesearch_impl.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define QUARRIX_HAVE_X86 1
#endif

namespace bytesearch {
#ifdef QUARRIX_HAVE_X86
Kernels avx2Kernels();
#endif
} // namespace bytesearch

namespace {

#ifdef QUARRIX_HAVE_X86
struct Sse2 {
    using Vec = __m128i;
    static constexpr int Width = 16;
    static Vec splat(char c) { return _mm_set1_epi8(c); }
    static Vec load(const char *p) { return _mm_loadu_si128(reinterpret_cast<const Vec *>(p)); }
    static Vec equal(Vec a, Vec b) { return _mm_cmpeq_epi8(a, b); }
    static Vec orBits(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec andBits(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static unsigned mask(Vec v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }
    static Vec zero() { return _mm_setzero_si128(); }
    static Vec sub(Vec a, Vec b) { return _mm_sub_epi8(a, b); }
    static std::size_t sumBytes(Vec v) {
        const Vec sums = _mm_sad_epu8(v, _mm_setzero_si128());
        return static_cast<std::size_t>(_mm_cvtsi128_si64(sums) +
                                        _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
};
#else
// One byte at a time where there is no x86 vector unit.
struct Scalar {
    using Vec = unsigned char;
    static constexpr int Width = 1;
    static Vec splat(char c) { return static_cast<Vec>(c); }
    static Vec load(const char *p) { return static_cast<Vec>(*p); }
    static Vec equal(Vec a, Vec b) { return a == b ? 0xFF : 0; }
    static Vec orBits(Vec a, Vec b) { return a | b; }
    static Vec andBits(Vec a, Vec b) { return a & b; }
    static unsigned mask(Vec v) { return v & 1u; }
    static Vec zero() { return 0; }
    static Vec sub(Vec a, Vec b) { return static_cast<Vec>(a - b); }
    static std::size_t sumBytes(Vec v) { return v; }
};
#endif

// How often a byte occurs in source code and prose, 0 (rare) to 255 (common).
// Only the order matters: the needle compares its two rarest bytes first.
std::array<unsigned char, 256> makeFrequencyRanks() {
    std::array<unsigned char, 256> ranks{};
    ranks.fill(20);
    const char *common =
        " etaoinsrhldcumfpgwybvkxjqz_ETAOINSRHLDCUMFPGWYBVKXJQZ\n.,;()=-\"'/*0123456789{}<>:#";
    int rank = 255;
    for (const char *p = common; *p && rank > 40; ++p, rank -= 3)
        ranks[static_cast<unsigned char>(*p)] = static_cast<unsigned char>(rank);
    return ranks;
}

} // namespace

namespace bytesearch {

Needle::Needle(const QByteArray &upperTerm) : lower(upperTerm), fold(upperTerm.size(), 0) {
    static const auto ranks = makeFrequencyRanks();
    for (qsizetype i = 0; i < lower.size(); ++i) {
        const char c = lower[i];
        if (c >= 'A' && c <= 'Z') {
            lower[i] = static_cast<char>(c | 0x20);
            fold[i] = 0x20;
        } else if (c >= 'a' && c <= 'z') {
            fold[i] = 0x20;
        }
    }
    // The two rarest bytes (ranks of the lower-case form), in position order.
    auto rankAt = [&](qsizetype i) { return ranks[static_cast<unsigned char>(lower[i])]; };
    qsizetype best = 0;
    for (qsizetype i = 1; i < lower.size(); ++i)
        if (rankAt(i) < rankAt(best))
            best = i;
    qsizetype next = best == 0 ? lower.size() - 1 : 0;
    for (qsizetype i = 0; i < lower.size(); ++i)
        if (i != best && rankAt(i) < rankAt(next))
            next = i;
    first = static_cast<int>(std::min(best, next));
    second = static_cast<int>(std::max(best, next));
    if (lower.isEmpty())
        first = second = 0;
}

const Kernels &baselineKernels() {
#ifdef QUARRIX_HAVE_X86
    static const Kernels chosen = makeKernels<Sse2>();
#else
    static const Kernels chosen = makeKernels<Scalar>();
#endif
    return chosen;
}

static bool hasAvx2() {
#ifdef QUARRIX_HAVE_X86
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

const Kernels &kernels() {
#ifdef QUARRIX_HAVE_X86
    static const Kernels chosen = hasAvx2() ? avx2Kernels() : baselineKernels();
    return chosen;
#else
    return baselineKernels();
#endif
}

const char *kernelName() {
#ifdef QUARRIX_HAVE_X86
    return hasAvx2() ? "avx2" : "sse2";
#else
    return "scalar";
#endif
}

} // namespace bytesearch

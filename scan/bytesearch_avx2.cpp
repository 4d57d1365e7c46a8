// Built with -mavx2; only called after the processor said it has AVX2.
#if defined(__x86_64__) || defined(__i386__)
#include "scan/bytesearch_impl.h"

#include <immintrin.h>

namespace {

struct Avx2 {
    using Vec = __m256i;
    static constexpr int Width = 32;
    static Vec splat(char c) { return _mm256_set1_epi8(c); }
    static Vec load(const char *p) { return _mm256_loadu_si256(reinterpret_cast<const Vec *>(p)); }
    static Vec equal(Vec a, Vec b) { return _mm256_cmpeq_epi8(a, b); }
    static Vec orBits(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec andBits(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static unsigned mask(Vec v) { return static_cast<unsigned>(_mm256_movemask_epi8(v)); }
    static Vec zero() { return _mm256_setzero_si256(); }
    static Vec sub(Vec a, Vec b) { return _mm256_sub_epi8(a, b); }
    static std::size_t sumBytes(Vec v) {
        const Vec sums = _mm256_sad_epu8(v, _mm256_setzero_si256());
        return static_cast<std::size_t>(
            _mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
            _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3));
    }
};

} // namespace

namespace bytesearch {
Kernels avx2Kernels() {
    return makeKernels<Avx2>();
}
} // namespace bytesearch
#endif

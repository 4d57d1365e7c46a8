#pragma once

#include <QByteArray>
#include <cstddef>

namespace bytesearch {

/// What the vector kernels see of a needle: plain pointers, so the kernels
/// built for wider instruction sets call no shared inline code.
struct NeedleView {
    const char *lower;
    const char *fold;
    int size;
    int first;
    int second;
};

/// An ASCII search term prepared for case-insensitive byte search. Two of its
/// bytes, the rarest by a frequency table, are compared 16 or 32 positions at a
/// time; candidates are then checked whole.
struct Needle {
    explicit Needle(const QByteArray &upperTerm);

    QByteArray lower; ///< the term folded to lower case where it is a letter
    QByteArray fold;  ///< per byte: 0x20 for a letter, 0 otherwise
    int first = 0;    ///< offsets of the two compared bytes
    int second = 0;

    int size() const { return static_cast<int>(lower.size()); }
    NeedleView view() const { return {lower.constData(), fold.constData(), size(), first, second}; }
};

/// Vector kernels, chosen once for the processor at run time.
struct Kernels {
    /// First case-insensitive occurrence of the needle in [begin, end), or nullptr.
    const char *(*find)(const char *begin, const char *end, const NeedleView &needle);
    /// First case-insensitive occurrence of either needle, or nullptr.
    const char *(*findEither)(const char *begin, const char *end, const NeedleView &a,
                              const NeedleView &b);
    /// First CR or LF in [begin, end), or end.
    const char *(*findLineEnd)(const char *begin, const char *end);
    /// Line ends in [begin, end): every LF, every CR, a CR LF pair once.
    std::size_t (*countLineEnds)(const char *begin, const char *end);
};

const Kernels &kernels();
/// Kernels that use no vector instructions beyond the x86-64 baseline (tests).
const Kernels &baselineKernels();
/// Name of the kernels kernels() chose ("avx2", "sse2" or "scalar").
const char *kernelName();

} // namespace bytesearch

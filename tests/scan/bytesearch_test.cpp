#include "scan/bytesearch.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

const char *naiveFind(const QByteArray &hay, qsizetype from, const QByteArray &upperTerm) {
    for (qsizetype i = from; i + upperTerm.size() <= hay.size(); ++i)
        if (hay.mid(i, upperTerm.size()).toUpper() == upperTerm)
            return hay.constData() + i;
    return nullptr;
}

std::size_t naiveLineEnds(const QByteArray &text) {
    std::size_t count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        count += text[i] == '\r' || text[i] == '\n';
    }
    return count;
}

// Random text over a small alphabet, so terms, CRs and LFs fall everywhere,
// including across the 16- and 32-byte chunk edges.
QByteArray randomText(QRandomGenerator &random, int size) {
    static const char alphabet[] = "abAB\r\n @[`{";
    QByteArray text(size, Qt::Uninitialized);
    for (char &c : text)
        c = alphabet[random.bounded(int(sizeof alphabet - 1))];
    return text;
}

class Kernels : public testing::TestWithParam<const bytesearch::Kernels *> {};

} // namespace

TEST_P(Kernels, FindAgreesWithANaiveSearch) {
    const bytesearch::Kernels &k = *GetParam();
    QRandomGenerator random(42);
    for (int round = 0; round < 3000; ++round) {
        const QByteArray hay = randomText(random, random.bounded(0, 200));
        const QByteArray term = randomText(random, random.bounded(1, 5)).toUpper();
        if (term.contains('\r') || term.contains('\n'))
            continue;
        const bytesearch::Needle needle(term);
        const qsizetype from = hay.isEmpty() ? 0 : random.bounded(int(hay.size()));
        const char *end = hay.constData() + hay.size();
        EXPECT_EQ(k.find(hay.constData() + from, end, needle.view()), naiveFind(hay, from, term))
            << hay.toStdString() << " / " << term.toStdString();
        // Two terms at once: the nearer occurrence of either.
        const QByteArray other = randomText(random, random.bounded(1, 9)).toUpper();
        if (other.contains('\r') || other.contains('\n'))
            continue;
        const char *first = naiveFind(hay, from, term);
        const char *second = naiveFind(hay, from, other);
        const char *either = !first ? second : !second ? first : std::min(first, second);
        EXPECT_EQ(k.findEither(hay.constData() + from, end, needle.view(),
                               bytesearch::Needle(other).view()),
                  either)
            << hay.toStdString() << " / " << term.toStdString() << " | " << other.toStdString();
    }
}

TEST_P(Kernels, FoldsOnlyLettersAndNeverReadsPastTheEnd) {
    const bytesearch::Kernels &k = *GetParam();
    // '@' and '`' differ from each other by 0x20 just as 'A' and 'a' do.
    const QByteArray hay(64, '`');
    const bytesearch::Needle at("@");
    EXPECT_EQ(k.find(hay.constData(), hay.constData() + hay.size(), at.view()), nullptr);
    const bytesearch::Needle longer("XYZ");
    const QByteArray tail = QByteArray(61, '.') + "xyz";
    EXPECT_EQ(k.find(tail.constData(), tail.constData() + tail.size(), longer.view()),
              tail.constData() + 61);
    EXPECT_EQ(k.find(tail.constData(), tail.constData() + 63, longer.view()), nullptr);
}

TEST_P(Kernels, CountsLineEndsWithCrLfPairsOnce) {
    const bytesearch::Kernels &k = *GetParam();
    QRandomGenerator random(7);
    for (int round = 0; round < 2000; ++round) {
        const QByteArray text = randomText(random, random.bounded(0, 600));
        ASSERT_EQ(k.countLineEnds(text.constData(), text.constData() + text.size()),
                  naiveLineEnds(text))
            << text.toStdString();
    }
    // Long texts of LF lines with a few CRs, so that some stretches hold none.
    for (int round = 0; round < 200; ++round) {
        QByteArray text(random.bounded(8000, 40000), 'x');
        for (qsizetype at = random.bounded(40); at < text.size(); at += random.bounded(1, 80))
            text[at] = '\n';
        for (int crs = random.bounded(4); crs > 0; --crs)
            text[random.bounded(int(text.size()))] = '\r';
        ASSERT_EQ(k.countLineEnds(text.constData(), text.constData() + text.size()),
                  naiveLineEnds(text))
            << round;
    }
    // A pair split by the chunk edge, at each of the edges.
    for (int at = 1; at < 100; ++at) {
        QByteArray text(100, 'x');
        text[at - 1] = '\r';
        text[at] = '\n';
        EXPECT_EQ(k.countLineEnds(text.constData(), text.constData() + text.size()), 1u) << at;
    }
}

TEST_P(Kernels, FindsTheFirstLineEnd) {
    const bytesearch::Kernels &k = *GetParam();
    for (int at = 0; at < 80; ++at) {
        QByteArray text(80, 'x');
        text[at] = at % 2 ? '\r' : '\n';
        EXPECT_EQ(k.findLineEnd(text.constData(), text.constData() + text.size()),
                  text.constData() + at);
        EXPECT_EQ(k.findLineEnd(text.constData(), text.constData() + at), text.constData() + at);
    }
}

INSTANTIATE_TEST_SUITE_P(ChosenAndBaseline, Kernels,
                         testing::Values(&bytesearch::kernels(), &bytesearch::baselineKernels()));

// Many terms at once: the same lines as testing each term on each line.
#include "scan/linefinder.h"
#include "scan/multitermmatcher.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

/// The matching lines of text, by testing every term on every line.
QList<QByteArray> naive(const QByteArray &text, const QList<QByteArray> &terms, bool all) {
    QList<QByteArray> lines;
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray upper = line.toUpper();
        auto occurs = [&](const QByteArray &term) { return upper.contains(term); };
        if (all ? std::all_of(terms.cbegin(), terms.cend(), occurs)
                : std::any_of(terms.cbegin(), terms.cend(), occurs))
            lines << line;
    }
    return lines;
}

QList<QByteArray> found(const QByteArray &text, const QString &search) {
    const SearchExpression expression(search);
    const LineFinder finder(expression, false);
    QList<QByteArray> lines;
    finder.forEachMatch(text.constData(), text.constData() + text.size(),
                        [&](const char *begin, const char *end) {
                            lines << QByteArray(begin, end - begin);
                            return true;
                        });
    return lines;
}

QByteArray randomWord(QRandomGenerator &random, const char *alphabet, int shortest, int longest) {
    QByteArray word;
    const int length = random.bounded(shortest, longest + 1);
    const int letters = static_cast<int>(std::strlen(alphabet));
    for (int i = 0; i < length; ++i)
        word += alphabet[random.bounded(letters)];
    return word;
}

} // namespace

TEST(MultiTermMatcher, FindsOverlappingTermsAndTheirSuffixes) {
    const MultiTermMatcher matcher({"HE", "SHE", "HIS", "HERS", "HE"});
    ASSERT_TRUE(matcher.usable());
    EXPECT_EQ(matcher.termCount(), 4);
    const QByteArray text = "uSHErs";
    EXPECT_EQ(matcher.findAny(text.constBegin(), text.constEnd()), text.constBegin() + 3);
    MultiTermMatcher::Found seen;
    seen.reset(matcher.termCount());
    matcher.collect(text.constBegin(), text.constEnd(), seen);
    EXPECT_EQ(seen.missing(), 1); // HIS
    const QByteArray rest = "this";
    matcher.collect(rest.constBegin(), rest.constEnd(), seen);
    EXPECT_TRUE(seen.all());
    const QByteArray none = "h e s h";
    EXPECT_EQ(matcher.findAny(none.constBegin(), none.constEnd()), nullptr);
}

// Random terms over a small alphabet (prefixes, repeats, suffixes of each
// other, and bytes that differ from letters by the case bit only) against
// random text: any term and all terms, from a handful to thousands of terms.
TEST(MultiTermMatcher, LinesEqualTestingEveryTermOnEveryLine) {
    QRandomGenerator random(2);
    for (const int count : {2, 6, 7, 40, 300, 3000}) {
        for (int round = 0; round < 8; ++round) {
            QList<QByteArray> terms;
            QStringList typed;
            for (int i = 0; i < count; ++i) {
                const QByteArray term = randomWord(random, "abcAB[{_", 1, count > 100 ? 7 : 3);
                terms << term.toUpper();
                typed << QString::fromLatin1(term);
            }
            QByteArray text;
            for (int line = 0; line < 200; ++line)
                text += randomWord(random, "abcdABCD[{_ ", 0, 30) + '\n';
            EXPECT_EQ(found(text, typed.join(u'|')), naive(text, terms, false))
                << count << " terms, round " << round;
            const QList<QByteArray> some = terms.mid(0, std::min(count, 12));
            QStringList typedSome = typed.mid(0, some.size());
            EXPECT_EQ(found(text, typedSome.join(u'&')), naive(text, some, true))
                << some.size() << " terms, round " << round;
        }
    }
}

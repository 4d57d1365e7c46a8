#include "platform/codepage.h"
#include "scan/linefinder.h"
#include "scan/searchexpression.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *search;
    const char *line;
    bool matches;
};

// The per-line reading and the byte-level finder must agree on every case.
bool finderMatches(const SearchExpression &expression, const QByteArray &line) {
    const LineFinder finder(expression, false);
    bool found = false;
    finder.forEachMatch(line.constData(), line.constData() + line.size(),
                        [&](const char *, const char *) { return found = true; });
    return found;
}

void expectCases(std::initializer_list<Case> cases) {
    for (const Case &c : cases) {
        const SearchExpression expression(QString::fromUtf8(c.search));
        const QByteArray line(c.line);
        EXPECT_EQ(expression.LineMatches(platform::decodeText(line)), c.matches)
            << "search '" << c.search << "' line '" << c.line << "'";
        EXPECT_EQ(finderMatches(expression, line), c.matches)
            << "finder: search '" << c.search << "' line '" << c.line << "'";
    }
}

} // namespace

TEST(SearchExpression, SimpleFormIgnoresCaseAndKeepsSpaces) {
    expectCases({{"abc", "xxABCxx", true},
                 {"abc", "xxABxCx", false},
                 {" abc", "abc", false},
                 {" abc", "x abc", true},
                 {"abc ", "abc", false},
                 {"a|", "", false},
                 {"   ", "anything", false},
                 {"", "anything", false}});
}

TEST(SearchExpression, OrFormAnyTermTrimmedAndEmptyTermsMatchNonBlankLines) {
    expectCases({{"foo|bar", "only BAR here", true},
                 {"foo|bar", "foo and bar", true},
                 {"foo|bar", "neither", false},
                 {" foo | bar ", "xbarx", true},
                 {"a&b|c", "a&b", true}, // '&' is literal inside an OR term
                 {"a&b|c", "a b", false},
                 {"foo|", "anything", true}, // the empty term
                 {"foo|", "   ", false},
                 {"foo|", "", false},
                 {"|", "x", true},
                 {"|", " ", false},
                 {"|", "\t", true}, // only spaces make a line blank
                 {"foo|bar", "    ", false}});
}

TEST(SearchExpression, AndFormNeedsEveryTerm) {
    expectCases({{"foo & bar", "bar then FOO", true},
                 {"foo & bar", "foo alone", false},
                 {"AT&T", "at the station", true},
                 {"AT&T", "a t", false},
                 {"a&&b", "b and a", true},
                 {"a&&b", "a", false},
                 {"&", "x", true},
                 {"&", "  ", false},
                 {"foo&bar", "   ", false}});
}

TEST(SearchExpression, PicksTheFormAndTermsInOrder) {
    const SearchExpression orForm(QStringLiteral("a&b|c| d "));
    EXPECT_EQ(orForm.form(), SearchExpression::Form::Or);
    EXPECT_EQ(orForm.terms(),
              QStringList({QStringLiteral("A&B"), QStringLiteral("C"), QStringLiteral("D")}));
    const SearchExpression andForm(QStringLiteral("x& y &"));
    EXPECT_EQ(andForm.form(), SearchExpression::Form::And);
    EXPECT_EQ(andForm.terms(), QStringList({QStringLiteral("X"), QStringLiteral("Y"), QString()}));
    const SearchExpression simple(QStringLiteral(" Hi "));
    EXPECT_EQ(simple.form(), SearchExpression::Form::Simple);
    EXPECT_EQ(simple.terms(), QStringList({QStringLiteral(" HI ")}));
}

TEST(SearchExpression, NonAsciiLettersMatchInUtf8AndWindows1252Lines) {
    expectCases({{"café", "CAFÉ au lait", true},
                 {"CAFÉ", "un caf\xC3\xA9", true},
                 {"über|xyz",
                  "\xDC"
                  "BER in 1252",
                  true},
                 {"straße&groß", "GROß STRAßE", true},
                 {"мир", "МИР вам", true},
                 {"é", "e", false},
                 // ASCII terms never match through non-ASCII upper-casing.
                 {"i", "\xC4\xB1", false}});
}

TEST(SearchExpression, ATermWithALineEndOccursNowhere) {
    const SearchExpression expression(QStringLiteral("a\nb|zzz"));
    EXPECT_FALSE(finderMatches(expression, "a\nb"));
    EXPECT_TRUE(finderMatches(expression, "zzz"));
    EXPECT_FALSE(finderMatches(SearchExpression(QStringLiteral("a&\r")), "a\r"));
}

TEST(SearchExpression, TermHitsFollowTheLinesOwnMatching) {
    using Hit = SearchExpression::TermHit;
    const QList<Hit> none;
    EXPECT_EQ(SearchExpression(QStringLiteral("alpha|gamma")).termHits(u"Gamma, ALPHA, gamma"),
              (QList<Hit>{{0, 5}, {7, 5}, {14, 5}}));
    EXPECT_EQ(SearchExpression(QStringLiteral("mutex & lock")).termHits(u"lock the Mutex"),
              (QList<Hit>{{0, 4}, {9, 5}}));
    EXPECT_EQ(SearchExpression(QStringLiteral("mutex&lock")).termHits(u"a mutex alone"), none)
        << "a line that does not match has nothing to colour";
    EXPECT_EQ(SearchExpression(QStringLiteral(" ab")).termHits(u"ab x AB"), (QList<Hit>{{4, 3}}))
        << "a simple text keeps its spaces";
    EXPECT_EQ(SearchExpression(QStringLiteral("foo|")).termHits(u"foo bar"), (QList<Hit>{{0, 3}}));
    EXPECT_EQ(SearchExpression(QStringLiteral("   ")).termHits(u"   "), none);
    EXPECT_EQ(SearchExpression(QStringLiteral("stra\u00dfe")).termHits(u"STRASSE Stra\u00dfe"),
              (QList<Hit>{{8, 6}}))
        << "the scan's folding, one character for one";
}

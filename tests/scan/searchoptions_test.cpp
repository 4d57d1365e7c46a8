#include "platform/codepage.h"
#include "scan/linefinder.h"
#include "scan/searchexpression.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

SearchOptions optionsOf(const char *flags) {
    SearchOptions options;
    options.matchCase = std::strchr(flags, 'c') != nullptr;
    options.wholeWord = std::strchr(flags, 'w') != nullptr;
    options.regex = std::strchr(flags, 'r') != nullptr;
    return options;
}

// Line numbers (from 1) the block finder takes in text, lines ended by LF, CR or CR LF.
QList<int> finderLines(const SearchExpression &expression, const QByteArray &text) {
    const LineFinder finder(expression, false);
    QList<int> lines;
    const char *begin = text.constData();
    finder.forEachMatch(begin, begin + text.size(), [&](const char *line, const char *) {
        int number = 1;
        for (const char *p = begin; p < line; ++p)
            number += *p == '\n' || (*p == '\r' && (p + 1 == line || p[1] != '\n')) ? 1 : 0;
        lines.append(number);
        return true;
    });
    return lines;
}

struct Case {
    const char *flags; ///< c match case, w whole word, r regular expression
    const char *search;
    const char *line;
    bool matches;
};

} // namespace

// The per-line test (documents, the editor) and the block finder (text files)
// must agree with each other for each option alone and with "|" and "&".
TEST(SearchOptions, EachOptionAloneAndWithCompoundTerms) {
    const Case cases[] = {
        {"c", "Error", "an Error here", true},
        {"c", "Error", "an error here", false},
        {"c", "Error|Warn", "a WARN and an error", false},
        {"c", "Error|Warn", "a Warn", true},
        {"c", "Error&Warn", "Error Warn", true},
        {"c", "Error&Warn", "Error warn", false},
        {"w", "log", "the log file", true},
        {"w", "log", "login here", false},
        {"w", "log", "LOG", true},
        {"w", "log", "_log", false},
        {"w", "log", "log9", false},
        {"w", "log", "a login, then log.", true}, // a later hit is whole
        {"w", "log", "élog", false},              // a letter in UTF-8 before
        {"w", "log", "log\xcc\x81", false},       // a combining mark after
        {"w", "log", "\x80log\x80", true},        // not UTF-8: read as Windows-1252, a sign
        {"w", "log", "\xfflog", false},           // ... and a letter
        {"w", "log|err", "logs errs", false},
        {"w", "log|err", "logs err", true},
        {"w", "log&err", "log errs", false},
        {"w", "log&err", "err, log", true},
        {"wc", "Log", "log Logs Log", true},
        {"wc", "Log", "log Logs", false},
        {"w", "über", "Über alles", true},
        {"w", "über", "Überall", false},
        {"r", "\\w+_mutex", "lock(state_mutex);", true},
        {"r", "\\w+_mutex", "a _mutex", false},
        {"r", "a|b&c", "x&c", false},
        {"r", "a|b&c", "b&c", true},
        {"r", "^\\s*#\\s*include", "  # include <x>", true},
        {"r", "^\\s*#\\s*include", "x #include", false},
        {"r", "ERROR", "an error", true},
        {"rc", "ERROR", "an error", false},
        {"r", "\\p{Lu}{3}", "ÀÉÎ", true},
        {"rw", "foo\\d", "foo1 bar", true},
        {"rw", "foo\\d", "foo12", false},
        {"r", "colou?r", "COLOR", true}, // what a quantifier may drop is not required
        {"r", "ab*c{0}d", "ad", true},
        {"r", "[^]x]abc", "yabc", true},
        {"rc", "[^]x]abc", "xabc", false},
        {"r", "mask", "MAK", false},
    };
    for (const Case &c : cases) {
        const SearchExpression expression(QString::fromUtf8(c.search), optionsOf(c.flags));
        const QByteArray line(c.line);
        const auto why = ::testing::Message()
                         << c.flags << " '" << c.search << "' in '" << c.line << "'";
        EXPECT_EQ(expression.LineMatches(platform::decodeText(line)), c.matches) << why;
        EXPECT_EQ(!finderLines(expression, line).isEmpty(), c.matches) << "finder: " << why;
        EXPECT_EQ(!expression.termHits(platform::decodeText(line)).isEmpty(), c.matches)
            << "hits: " << why;
    }
}

TEST(SearchOptions, HitsAreWholeWordsAndRegexMatchesInCharactersOfTheLine) {
    const SearchExpression word(QStringLiteral("log"), optionsOf("w"));
    const QList<SearchExpression::TermHit> wordHits{{10, 3}};
    EXPECT_EQ(word.termHits(u"login and log"), wordHits);
    const SearchExpression regex(QStringLiteral("b+"), optionsOf("r"));
    const QList<SearchExpression::TermHit> regexHits{{2, 2}, {5, 1}};
    EXPECT_EQ(regex.termHits(u"éébbéb"), regexHits);
}

TEST(SearchOptions, AnInvalidExpressionIsRefusedWithTheLibrarysWordsAndPlace) {
    const SearchExpression bad(QStringLiteral("ab(c"), optionsOf("r"));
    EXPECT_TRUE(bad.error().contains(QStringLiteral("character 5"))) << bad.error().toStdString();
    EXPECT_TRUE(bad.error().contains(QStringLiteral("parenthesis")));
    EXPECT_TRUE(finderLines(bad, "ab(c\n").isEmpty());
    EXPECT_TRUE(SearchExpression(QStringLiteral("ab(c")).error().isEmpty()); // plain text
}

// A pathological expression ends for its line; the lines after it are still searched.
TEST(SearchOptions, APathologicalExpressionGivesUpTheLineNotTheScan) {
    const SearchExpression expression(QStringLiteral("(a+)+$"), optionsOf("r"));
    const QByteArray text = QByteArray(20000, 'a') + "b\nxa\n";
    EXPECT_EQ(finderLines(expression, text), QList<int>{2});
    EXPECT_GE(expression.regex()->linesGivenUp(), 1);
}

// The finder against GNU grep on lines of several encodings and ends.
TEST(SearchOptions, MatchesTheSameLinesAsGrep) {
    const QString grep = QStandardPaths::findExecutable(QStringLiteral("grep"));
    if (grep.isEmpty())
        GTEST_SKIP() << "no grep";
    QTemporaryDir dir;
    const QByteArray text = "int state_mutex;\r\n"
                            "  #  include <stdio.h>\n"
                            "ABCD12 and abcd12\r\n"
                            "fooqux barqux\n"
                            "Ärger über Öl\r\n"
                            "bad \xff\xfe bytes log\n"
                            "logging only\n"
                            "LOG upper\n"
                            "x_log_y\n"
                            "\n"
                            "café au lait\n";
    QFile file(dir.filePath(QStringLiteral("t.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    struct Run {
        const char *flags;
        const char *search;
        QStringList grepArguments;
    };
    const Run runs[] = {
        {"rc", "\\w+_mutex", {"-P"}},
        {"rc", "[A-Z]{4,}[0-9]+", {"-P"}},
        {"rc", "(foo|bar|baz)qux", {"-P"}},
        {"rc", "^\\s*#\\s*include", {"-P"}},
        {"r", "[ÄÖ]\\w+", {"-P", "-i"}},
        {"r", "caf.", {"-P", "-i"}},
        {"c", "log", {"-F"}},
        {"", "log", {"-F", "-i"}},
        {"w", "log", {"-F", "-w", "-i"}},
        {"wc", "LOG", {"-F", "-w"}},
        {"rw", "l\\w+", {"-P", "-w", "-i"}},
    };
    for (const Run &run : runs) {
        QProcess process;
        process.setProcessEnvironment([] {
            auto env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
            return env;
        }());
        process.start(grep, run.grepArguments +
                                QStringList{QStringLiteral("-n"), QStringLiteral("-a"),
                                            QString::fromUtf8(run.search), file.fileName()});
        ASSERT_TRUE(process.waitForFinished());
        QList<int> expected;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                expected.append(line.left(line.indexOf(':')).toInt());
        const SearchExpression expression(QString::fromUtf8(run.search), optionsOf(run.flags));
        EXPECT_EQ(finderLines(expression, text), expected) << run.flags << " " << run.search;
    }
}

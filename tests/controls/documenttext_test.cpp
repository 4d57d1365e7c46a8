// The text of office and mail fixtures made by real software, found through
// the rich-text reader as a user's scan finds it.
#include "controls/richtext/documenttext.h"
#include "controls/richtext/mailtext.h"
#include "scan/scanrun.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QFile>
#include <QStringTokenizer>
#include <gtest/gtest.h>

namespace {

QString dataDir() {
    return QStringLiteral(RICHTEXT_DATA);
}

struct Expectation {
    QStringList files, pieces, contained, absent;
};

std::vector<Expectation> expectations() {
    QFile file(dataDir() + QStringLiteral("expected.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<Expectation> all;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'[')) {
            all.push_back({line.mid(1, line.size() - 2).split(u' ')});
        } else if (line.size() > 3 && line[1] == u'|' && line.endsWith(u'|') && !all.empty()) {
            const QString text = line.mid(2, line.size() - 3);
            (line[0] == u'+'   ? all.back().pieces
             : line[0] == u'~' ? all.back().contained
                               : all.back().absent)
                .append(text);
        }
    }
    return all;
}

std::vector<MatchRecord> scan(const QString &path, const QString &search) {
    return scanDocument(path, search);
}

QStringList pieces(const QString &text) {
    QStringList out;
    for (const QStringView piece : QStringTokenizer(text, u'\r'))
        out << StripControlChars(piece);
    return out;
}

TEST(DocumentText, FixturesYieldTheirWordsAndNotTheirMachinery) {
    const auto all = expectations();
    ASSERT_EQ(all.size(), 5u);
    for (const Expectation &e : all) {
        for (const QString &name : e.files) {
            SCOPED_TRACE(name.toStdString());
            const QString path = dataDir() + name;
            const QStringList expectedPieces = pieces(documentText(readAll(path)));
            for (const QString &piece : e.pieces) {
                const qsizetype index = expectedPieces.indexOf(piece);
                EXPECT_GE(index, 0) << piece.toStdString();
                const MatchRecord row{path, u'@' + QString::number(index), piece};
                const auto rows = scan(path, piece);
                EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end())
                    << piece.toStdString();
            }
            for (const QString &text : e.contained) {
                const auto rows = scan(path, text);
                EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const MatchRecord &r) {
                    return r.text.contains(text);
                })) << text.toStdString();
            }
            for (const QString &text : e.absent)
                EXPECT_TRUE(scan(path, text).empty()) << text.toStdString();
        }
    }
}

TEST(DocumentText, TruncatedAndCorruptedFixturesGiveTextWithoutCrashing) {
    for (const Expectation &e : expectations()) {
        for (const QString &name : e.files) {
            SCOPED_TRACE(name.toStdString());
            const QByteArray bytes = readAll(dataDir() + name);
            const QString whole = documentText(bytes);
            for (const qsizetype cut : {bytes.size() / 2, bytes.size() / 3, qsizetype(700)}) {
                const QString text = documentText(bytes.first(cut));
                // RTF gives the text read so far, which may be none at all.
                if (name.endsWith(u".rtf"))
                    EXPECT_TRUE(whole.startsWith(text)) << cut;
                else
                    EXPECT_FALSE(text.isEmpty()) << cut;
            }
            // Overwrite spread blocks, the header and directory among them.
            for (const char fill : {'\xFF', '\x00', '\x41'}) {
                QByteArray damaged = bytes;
                for (qsizetype at = 40; at < damaged.size(); at += damaged.size() / 7 + 1)
                    damaged.replace(at, qMin<qsizetype>(48, damaged.size() - at),
                                    QByteArray(48, fill));
                EXPECT_FALSE(documentText(damaged).isEmpty());
            }
        }
    }
}

TEST(DocumentText, OtherContentComesInByteForByte) {
    const QByteArray dif = "TABLE\r\n0,1\r\n\"EXCEL\"\r\nVECTORS\r\n";
    EXPECT_EQ(documentText(dif), QString::fromLatin1(dif));
    const QByteArray bytes("a\0b\xE9\r\nc", 7);
    EXPECT_EQ(documentText(bytes), QString::fromLatin1(bytes));
}

TEST(MailText, RecognisesMailByItsHeaders) {
    EXPECT_TRUE(mailtext::isMail("Subject: hi\r\nX-Other: y\r\n folded\r\n\r\nbody"));
    EXPECT_TRUE(mailtext::isMail("From someone Mon Jan 1\nFrom: a@b\n\nbody"));
    EXPECT_FALSE(mailtext::isMail("Note: not mail\nbut text\n"));
    EXPECT_FALSE(mailtext::isMail("plain text\n"));
    EXPECT_FALSE(mailtext::isMail(""));
}

TEST(MailText, EncodedWordsCharsetsAndNestedMessages) {
    const QByteArray mail = "From: =?ISO-8859-7?Q?=C5=EB=EB=DC=E4=E1?= <a@b>\r\n"
                            "Subject: =?UTF-8?B?0J/RgNC40LLQtdGC?=\r\n"
                            "MIME-Version: 1.0\r\n"
                            "Content-Type: multipart/mixed; boundary=XX\r\n\r\n"
                            "--XX\r\nContent-Type: text/plain; charset=windows-1251\r\n"
                            "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                            "=CC=EE=F1=EA=E2=E0 long=\r\nword\r\n"
                            "--XX\r\nContent-Type: message/rfc822\r\n\r\n"
                            "Subject: InnerSubject\r\n\r\nInnerBody\r\n"
                            "--XX--\r\n";
    const QString text = mailtext::mailText(mail);
    EXPECT_TRUE(text.contains(u"From: Ελλάδα <a@b>")) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Subject: Привет"));
    EXPECT_TRUE(text.contains(u"Москва longword"));
    EXPECT_TRUE(text.contains(u"Subject: InnerSubject"));
    EXPECT_TRUE(text.contains(u"InnerBody"));
}

} // namespace

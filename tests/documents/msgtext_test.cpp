// Outlook messages built here from the published layout: what a reader of
// the message sees, bodies in each form a message keeps them, attachments.
#include "documents/documenttext.h"
#include "documents/msgtext.h"
#include "tests/support/messagebytes.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace messagebytes;

QByteArray latestNews() {
    return message(
        {time(0x0039, 1796838600), integer(0x3FFD, 1252)}, // Wed, 09 Dec 2026 17:50:00
        {unicode(0x0037, QStringLiteral("Quarterly figures")),
         unicode(0x0C1A, QStringLiteral("Anna Smith")),
         unicode(0x0C1F, QStringLiteral("/O=ORG/OU=SITE/CN=RECIPIENTS/CN=ANNA")),
         unicode(0x5D01, QStringLiteral("anna@example.org")),
         unicode(0x0E04, QStringLiteral("Bob; Carol")),
         unicode(0x1000, QStringLiteral("Dear all,\r\nthe figures are attached.\r\n")),
         recipient(0, 1, QStringLiteral("Bob"), QStringLiteral("bob@example.org")),
         recipient(1, 1, QStringLiteral("Carol"), QStringLiteral("carol@example.org")),
         recipient(2, 2, QStringLiteral("Dave"), QStringLiteral("dave@example.org")),
         attachment(0, QStringLiteral("figures.csv"), "Region,Revenue\r\nNorth,12\r\n"),
         attachedMessage(1, QStringLiteral("Forwarded"),
                         {unicode(0x0037, QStringLiteral("Inner subject")),
                          unicode(0x1000, QStringLiteral("Inner body")),
                          attachment(0, QStringLiteral("inner.txt"), "Inner attachment")})});
}

TEST(MessageText, HeadersBodyAndAttachmentsAsAReaderSeesThem) {
    const QByteArray news = latestNews();
    Extraction extraction(news);
    ASSERT_EQ(extractDocument(extraction, u"news.msg"), Outcome::Text);
    const QStringList lines = extraction.text.split(QStringLiteral("\r\n"));
    const QStringList expected = {
        QStringLiteral("From: Anna Smith <anna@example.org>"),
        QStringLiteral("To: Bob <bob@example.org>, Carol <carol@example.org>"),
        QStringLiteral("Cc: Dave <dave@example.org>"),
        QStringLiteral("Subject: Quarterly figures"),
        QStringLiteral("Date: Wed, 09 Dec 2026 17:50:00 +0000"),
        QStringLiteral("Dear all,"),
        QStringLiteral("the figures are attached."),
        QStringLiteral("figures.csv"),
        QStringLiteral("Forwarded"),
        QStringLiteral("Subject: Inner subject"),
        QStringLiteral("Inner body"),
        QStringLiteral("inner.txt"),
    };
    for (const QString &line : expected)
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n"
                                          << extraction.text.toStdString();
    EXPECT_LT(lines.indexOf(expected[0]), lines.indexOf(expected[5])); // headers first
    EXPECT_FALSE(extraction.text.contains(u"/O=ORG"));                 // Exchange machinery
    ASSERT_EQ(extraction.embedded.size(), 2u);
    EXPECT_EQ(extraction.embedded[0].name, u"figures.csv");
    EXPECT_EQ(extraction.embedded[0].bytes, "Region,Revenue\r\nNorth,12\r\n");
    EXPECT_EQ(extraction.embedded[1].name, u"inner.txt");
}

TEST(MessageText, EachFormOfBodyGivesItsText) {
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}"
                           "\\pard RtfBody with \\b bold\\b0  words\\par second paragraph "
                           "RtfBody again and again\\par}";
    const QByteArray htmlRtf = "{\\rtf1\\ansi\\fromhtml1 {\\*\\htmltag64 <p>}EncapsulatedWord"
                               "{\\*\\htmltag72 </p>}\\par}";
    QByteArray stored = le32(quint32(htmlRtf.size() + 12)) + le32(quint32(htmlRtf.size())) +
                        "MELA" + le32(0) + htmlRtf;
    struct Case {
        const char *what;
        std::vector<Fixed> fixed;
        CompoundNode body;
        QString shown;
    } cases[] = {
        {"8-bit plain body in the message's code page",
         {integer(0x3FFD, 1251)},
         string8(0x1000, "\xCC\xEE\xF1\xEA\xE2\xE0"),
         QStringLiteral("Москва")},
        {"HTML body in the internet code page",
         {integer(0x3FDE, 65001)},
         binary(0x1013, "<html><head><title>Hidden</title></head><body><p>Gr\xC3\xBC"
                        "\xC3\x9F"
                        "e&nbsp;aus <b>Wien</b></p></body></html>"),
         QStringLiteral("Grüße aus Wien")},
        {"compressed RTF body",
         {},
         binary(0x1009, compressedRtf(rtf)),
         QStringLiteral("RtfBody with bold words\r\nsecond paragraph RtfBody again and again")},
        {"RTF stored uncompressed, HTML inside",
         {},
         binary(0x1009, stored),
         QStringLiteral("EncapsulatedWord")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray bytes =
            message(c.fixed, {unicode(0x0037, QStringLiteral("Subject line")), c.body});
        Extraction extraction(bytes);
        ASSERT_EQ(extractMessage(extraction), Outcome::Text);
        EXPECT_TRUE(extraction.text.contains(c.shown)) << extraction.text.toStdString();
        EXPECT_FALSE(extraction.text.contains(u"Hidden") || extraction.text.contains(u"<p>") ||
                     extraction.text.contains(u"\\rtf"));
    }
}

TEST(MessageText, DamagedCompressedRtfGivesWhatWasReadBeforeTheDamage) {
    const QByteArray rtf = "{\\rtf1\\ansi Some words that repeat, words that repeat\\par}";
    const QByteArray whole = compressedRtf(rtf);
    EXPECT_EQ(msgtext::decompressRtf(whole, 1 << 20), rtf);
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        const QByteArray part = msgtext::decompressRtf(whole.first(cut), 1 << 20);
        EXPECT_TRUE(rtf.startsWith(part)) << cut;
    }
    const QByteArray bounded = msgtext::decompressRtf(whole, 10);
    EXPECT_TRUE(bounded.size() >= 10 && bounded.size() < 30 && rtf.startsWith(bounded));
    EXPECT_TRUE(msgtext::decompressRtf("0123456789abcdefXYZ", 100).isEmpty()); // unknown kind
}

TEST(MessageText, RecognisedWhateverItsNameAndOtherCompoundFilesAreNot) {
    const QByteArray news = latestNews();
    Extraction namedAsText(news);
    EXPECT_EQ(extractDocumentNamedAsText(namedAsText), Outcome::Text);
    EXPECT_TRUE(namedAsText.text.contains(u"Subject: Quarterly figures"));
    // A compound file that is no message is left to the other readers.
    const QByteArray plain =
        compoundFileOf({compoundStream(QStringLiteral("Contents"), "Plain words")});
    Extraction other(plain);
    EXPECT_EQ(extractMessage(other), Outcome::NotThisFormat);
    EXPECT_EQ(extractDocumentNamedAsText(other), Outcome::NotThisFormat);
}

// QUARRIX_WRITE_SEEDS=dir writes the messages above as seeds for fuzzing.
TEST(MessageText, WritesFuzzSeedsWhenAsked) {
    const QString dir = qEnvironmentVariable("QUARRIX_WRITE_SEEDS");
    if (dir.isEmpty())
        GTEST_SKIP();
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/news.msg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(latestNews());
    QFile rtf(dir + QStringLiteral("/rtfbody.msg"));
    ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
    rtf.write(message({}, {binary(0x1009, compressedRtf("{\\rtf1\\ansi RTF body words\\par}"))}));
}

} // namespace

#include "platform/codepage.h"

#include <gtest/gtest.h>

using platform::decodeText;
using platform::isValidUtf8;
using platform::upperCase;

TEST(Utf8Validity, AcceptsWellFormedAndRejectsMalformedSequences) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("caf\xE9"));          // a Windows-1252 é
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));     // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));         // cut short
    EXPECT_FALSE(isValidUtf8("\x80"));             // a lone continuation byte
}

TEST(DecodeText, Utf8WhenValidElseWindows1252) {
    EXPECT_EQ(decodeText("caf\xC3\xA9"), QStringLiteral("café"));
    EXPECT_EQ(decodeText("caf\xE9"), QStringLiteral("café"));
    EXPECT_EQ(decodeText("\x80 \x99 \x9F"), QStringLiteral("€ ™ Ÿ"));
    EXPECT_EQ(decodeText(QByteArray("a\0b", 3)), QString(QStringLiteral("a")) + QChar(0) + u'b');
    // A U+FEFF at the start of a line is text, not a mark to drop.
    EXPECT_EQ(decodeText("\xEF\xBB\xBFx"), QString(QChar(0xFEFF)) + u'x');
}

TEST(DecodeText, AppendedToATextAsDecodedAlone) {
    for (const QByteArray &bytes :
         {QByteArray("plain"), QByteArray("caf\xC3\xA9 \xF0\x9F\x98\x80"), QByteArray("caf\xE9"),
          QByteArray("\xEF\xBB\xBFx"), QByteArray()}) {
        QString text = QStringLiteral("before ");
        text.reserve(8); // no room: the text grows as it takes the line
        platform::appendText(text, bytes);
        EXPECT_EQ(text, QStringLiteral("before ") + decodeText(bytes)) << bytes.toHex().constData();
    }
}

TEST(UpperCase, MapsLettersButNeverIntoAscii) {
    EXPECT_EQ(upperCase(u"abc xyz 123"), QStringLiteral("ABC XYZ 123"));
    EXPECT_EQ(upperCase(u"éàüñ straße"), QStringLiteral("ÉÀÜÑ STRAßE"));
    EXPECT_EQ(upperCase(u"мир ελλάδα"), QStringLiteral("МИР ΕΛΛΆΔΑ"));
    // Dotless i and long s upper-case to ASCII letters elsewhere; here they
    // stay, so an ASCII term is matched on raw bytes in any encoding.
    EXPECT_EQ(upperCase(u"ı ſ"), QStringLiteral("ı ſ"));
    // Outside the basic plane: Deseret small long i to its capital.
    EXPECT_EQ(upperCase(QString::fromUcs4(U"\U00010428")), QString::fromUcs4(U"\U00010400"));
}

TEST(UpperCase, KeepsEveryCodeUnitInItsPlace) {
    // Broken pairs stay as they are, so a term's offset in the capitals is its
    // offset in the line.
    const char16_t lone[] = {0xD801, u'a', u'b', 0xDC28, u'c', 0xD801};
    const char16_t loneUpper[] = {0xD801, u'A', u'B', 0xDC28, u'C', 0xD801};
    EXPECT_EQ(upperCase(QStringView(lone, 6)), QStringView(loneUpper, 6));
    EXPECT_EQ(upperCase(u""), QString());
    EXPECT_EQ(upperCase(QString::fromUcs4(U"x\u00E9\U00010428\u0000z", 5)),
              QString::fromUcs4(U"X\u00C9\U00010400\u0000Z", 5));
    EXPECT_EQ(upperCase(QString(3000, u'q')), QString(3000, u'Q'));
}

TEST(Utf16Text, EvenBytesOnlyAndNothingFromAnEmptyView) {
    EXPECT_EQ(platform::fromUtf16LE(QByteArrayView()), QString());
    EXPECT_EQ(platform::fromUtf16LE(QByteArrayView("A", 1)), QString());
    EXPECT_EQ(platform::fromUtf16LE(QByteArrayView("A\0B\0C", 5)), QStringLiteral("AB"));
    EXPECT_EQ(platform::fromCodePage(1200, QByteArrayView()), QString());
}

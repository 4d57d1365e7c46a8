// Documents scanned through the rich-text reader: the pieces a user finds.
#include "scan/scanrun.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace {

std::vector<MatchRecord> scan(const QString &path, const QString &search) {
    return scanDocument(path, search);
}

TEST(StripControlChars, KeepsPrintableAsciiAndScriptsBeyondTheCodePage) {
    EXPECT_EQ(StripControlChars(u"a\tb\r\nc\x7f"), u"abc");
    // Letters of Windows-1252 are dropped, as the single-byte reader always did.
    EXPECT_EQ(StripControlChars(u"café naïve €5 “q” Œ"), u"caf nave 5 q ");
    EXPECT_EQ(StripControlChars(u"Ελλάδα Москва 東京 ok"), u"Ελλάδα Москва 東京 ok");
    EXPECT_EQ(StripControlChars(QString::fromUtf8("x\xF0\x9F\x98\x80y")),
              QString::fromUtf8("x\xF0\x9F\x98\x80y"));
    EXPECT_EQ(StripControlChars(u""), u"");
}

TEST(DocumentScan, RtfSavedUnderAnOfficeNameIsReadAsRtf) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("letter.doc"),
                                   R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 first\par )"
                                   R"(second {\b word}\par \u1052?\u1080?\u1088?\par})");
    EXPECT_EQ(
        scan(path, QStringLiteral("second")),
        (std::vector<MatchRecord>{{path, QStringLiteral("@1"), QStringLiteral("second word")}}));
    EXPECT_EQ(scan(path, QStringLiteral("мир")).size(), 1u);
    EXPECT_TRUE(scan(path, QStringLiteral("arial")).empty());
    EXPECT_TRUE(scan(path, QStringLiteral("rtf1")).empty());
}

} // namespace

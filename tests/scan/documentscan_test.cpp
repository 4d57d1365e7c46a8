// Documents scanned through the rich-text reader: the pieces a user finds.
#include "scan/documentpieces.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace {

std::vector<MatchRecord> scan(const QString &path, const QString &search) {
    return scanDocument(path, search);
}

TEST(StripControlChars, KeepsEveryCharacterButControlCharacters) {
    EXPECT_EQ(StripControlChars(u"\ta\t\tb\r\nc\x7f\t"), u"a bc");
    EXPECT_EQ(StripControlChars(u"café naïve €5 “q” Œ Müller Straße señor"),
              u"café naïve €5 “q” Œ Müller Straße señor");
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
        (std::vector<MatchRecord>{{path, LineCell::piece(1), QStringLiteral("second word")}}));
    EXPECT_EQ(scan(path, QStringLiteral("мир")).size(), 1u);
    EXPECT_TRUE(scan(path, QStringLiteral("arial")).empty());
    EXPECT_TRUE(scan(path, QStringLiteral("rtf1")).empty());
}

TEST(DocumentScan, TextUnderADocumentNameIsCutAtEachKindOfLineEnd) {
    TempDir dir;
    // DIF and MPX files, and text or HTML saved under a document's name.
    const QString lf = dir.write(QStringLiteral("table.dif"), "first\nsecond alpha\nthird");
    EXPECT_EQ(scan(lf, QStringLiteral("alpha")),
              (std::vector<MatchRecord>{{lf, LineCell::piece(1), QStringLiteral("second alpha")}}));
    const QString mixed = dir.write(QStringLiteral("plan.mpx"), "a\r\nb\rc\nd\n\ne alpha");
    EXPECT_EQ(scan(mixed, QStringLiteral("alpha")),
              (std::vector<MatchRecord>{{mixed, LineCell::piece(5), QStringLiteral("e alpha")}}));
    const QString utf8 = dir.write(QStringLiteral("notes.doc"), "Gr\xC3\xBC\xC3\x9F"
                                                                "e\nM\xC3\xBCller");
    EXPECT_EQ(scan(utf8, QStringLiteral("müller")),
              (std::vector<MatchRecord>{{utf8, LineCell::piece(1), QStringLiteral("Müller")}}));
}

} // namespace

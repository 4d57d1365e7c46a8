// Word 97-2003 and 6.0/95 text from streams built here: special characters and
// fields at every position of a piece, pieces that name one range again and
// again, the code page of the document's language.
#include "documents/textwriter.h"
#include "documents/wordtext.h"
#include "tests/support/recordbytes.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Word: pieces of 8-bit and UTF-16 text as a document's piece table names them.
struct Piece {
    QString text;
    bool eightBit;
};

char windows1252(char16_t c) {
    switch (c) {
    case u'\u201C':
        return char(0x93);
    case u'\u20AC':
        return char(0x80);
    default:
        return char(c);
    }
}

/// The WordDocument and 1Table streams of a document made of those pieces.
std::pair<QByteArray, QByteArray> wordStreams(const std::vector<Piece> &pieces) {
    QByteArray doc(1024, '\0');
    qToLittleEndian(quint16(0xA5EC), doc.data());
    qToLittleEndian(quint16(193), doc.data() + 2);
    qToLittleEndian(quint16(0x0200), doc.data() + 0x0A);
    qToLittleEndian(quint16(14), doc.data() + 32);
    qToLittleEndian(quint16(22), doc.data() + 62);
    qToLittleEndian(quint16(93), doc.data() + 152);
    QByteArray cps, fcs;
    quint32 cp = 0;
    for (const Piece &piece : pieces) {
        put32(cps, cp);
        cp += quint32(piece.text.size());
        put16(fcs, 0);
        if (piece.eightBit) {
            put32(fcs, quint32(doc.size() * 2) | 0x40000000);
            for (const QChar c : piece.text)
                doc += windows1252(c.unicode());
        } else {
            put32(fcs, quint32(doc.size()));
            doc.append(reinterpret_cast<const char *>(piece.text.utf16()), piece.text.size() * 2);
        }
        put16(fcs, 0);
    }
    put32(cps, cp);
    const QByteArray plc = cps + fcs;
    QByteArray table(1, '\2');
    put32(table, quint32(plc.size()));
    table += plc;
    qToLittleEndian(quint32(0), doc.data() + 154 + 33 * 8);
    qToLittleEndian(quint32(table.size()), doc.data() + 154 + 33 * 8 + 4);
    return {doc, table};
}

QString wordText(const std::vector<Piece> &pieces) {
    const auto [doc, table] = wordStreams(pieces);
    QString text;
    EXPECT_EQ(officetext::wordStreamsText(doc, {}, table, text), Outcome::Text);
    return text;
}

TEST(WordText, SpecialCharactersAndFieldsAtEveryPlaceOfAPiece) {
    // Words of every length, so that each special character falls on every
    // position of the eight-byte steps and on the edges of pieces.
    const QString letters = QStringLiteral("abcé\u201C\u20ACxyz");
    QRandomGenerator random(11);
    QString document, expected;
    for (int i = 0; i < 4000; ++i) {
        QString word;
        for (quint32 n = random.bounded(12); n > 0; --n)
            word += letters[random.bounded(int(letters.size()))];
        switch (random.bounded(7)) {
        case 0:
            document += word + u'\r';
            expected += word + QStringLiteral("\r\n");
            break;
        case 1:
            document += QChar(0x13) + QStringLiteral(" HYPERLINK ") + word + QChar(0x14) + word +
                        QChar(0x15);
            expected += word;
            break;
        case 2:
            document += word + QChar(0xA0) + QChar(0x1E) + QChar(0x07);
            expected += word + QStringLiteral(" -\r\n");
            break;
        case 3: // a button shows the text after its macro's name
            document += QChar(0x13) + QStringLiteral(" MacroButton  Go ") + word + u' ' + word +
                        QChar(0x15);
            expected += word.isEmpty() ? QString() : word + u' ' + word;
            break;
        default:
            document += word + u'\t';
            expected += word + u'\t';
        }
    }
    std::vector<Piece> pieces;
    for (qsizetype at = 0; at < document.size();) {
        const qsizetype size = 1 + random.bounded(9000);
        pieces.push_back({document.mid(at, size), pieces.size() % 2 == 0});
        at += size;
    }
    EXPECT_EQ(wordText(pieces), expected);
    pieces.push_back({QStringLiteral("\u4E2D\u6587\r"), false});
    EXPECT_TRUE(wordText(pieces).endsWith(QStringLiteral("\u4E2D\u6587\r\n")));
}

// "dog" replaced by "frog" with changes tracked: the deleted word is in the
// text, marked in the character properties; a reader sees only "frog".
TEST(WordText, TextDeletedWithChangesTrackedIsNotShown) {
    auto [doc, table] = wordStreams({{u"The dogfrog barks.\r"_qs, true}});
    const quint32 dog = 1024 + 4, frog = dog + 3;
    doc.append(QByteArray(512 - doc.size() % 512, '\0'));
    const quint32 pn = quint32(doc.size() / 512);
    QByteArray page(512, '\0');
    qToLittleEndian(dog, page.data());
    qToLittleEndian(frog, page.data() + 4);
    page[8] = char(100);                                 // the run's properties at byte 200
    page[200] = 3;                                       // their size
    page.replace(201, 3, QByteArray("\x00\x08\x01", 3)); // sprmCFRMarkDel on
    page[511] = 1;                                       // one run
    doc += page;
    QByteArray bte;
    for (const quint32 value : {dog, frog, pn})
        put32(bte, value);
    qToLittleEndian(quint32(table.size()), doc.data() + 154 + 12 * 8);
    qToLittleEndian(quint32(bte.size()), doc.data() + 154 + 12 * 8 + 4);
    table += bte;
    QString text;
    EXPECT_EQ(officetext::wordStreamsText(doc, {}, table, text), Outcome::Text);
    EXPECT_EQ(text, u"The frog barks.\r\n"_qs);
}

TEST(WordText, PiecesNamingOneRangeAgainAndAgainStopAtTheLimit) {
    std::vector<Piece> pieces{{QString(1 << 20, u'w'), true}};
    auto [doc, table] = wordStreams(pieces);
    // Point 200 pieces of a million characters each at the same bytes.
    QByteArray cps, fcs;
    for (quint32 i = 0; i <= 200; ++i)
        put32(cps, i << 20);
    for (int i = 0; i < 200; ++i) {
        put16(fcs, 0);
        put32(fcs, quint32(1024 * 2) | 0x40000000);
        put16(fcs, 0);
    }
    table = QByteArray(1, '\2');
    put32(table, quint32(cps.size() + fcs.size()));
    table += cps + fcs;
    qToLittleEndian(quint32(table.size()), doc.data() + 154 + 33 * 8 + 4);
    QString text;
    EXPECT_EQ(officetext::wordStreamsText(doc, {}, table, text), Outcome::BoundReached);
    EXPECT_LE(text.size(), TextWriter::limitFor(doc.size()));
    EXPECT_GE(text.size(), TextWriter::limitFor(doc.size()) - 2 * 4096);
}

// Word 6.0 and 95: the FIB of that version and 8-bit text in the code page of
// the document's language, in one run or, after a fast save, in pieces.
QByteArray word6Document(quint16 language, const QByteArray &text, bool fastSaved) {
    QByteArray doc(0x200, '\0');
    qToLittleEndian<quint16>(0xA5DC, doc.data());
    qToLittleEndian<quint16>(104, doc.data() + 2);
    qToLittleEndian<quint16>(language, doc.data() + 6);
    if (!fastSaved) {
        qToLittleEndian<quint32>(0x200, doc.data() + 0x18);
        qToLittleEndian<quint32>(quint32(text.size()), doc.data() + 0x34);
        return doc + text;
    }
    // The halves are stored swapped; the piece table puts them back in order.
    const qsizetype half = text.size() / 2;
    doc += text.mid(half) + text.left(half);
    QByteArray plc;
    for (const quint32 cp : {0u, quint32(half), quint32(text.size())})
        put32(plc, cp);
    for (const quint32 fc : {quint32(0x200 + text.size() - half), 0x200u}) {
        put16(plc, 0);
        put32(plc, fc);
        put16(plc, 0);
    }
    QByteArray clx("\x01\x02\x00\xAA\xBB\x02", 6); // a property entry, then the pieces
    put32(clx, quint32(plc.size()));
    clx += plc;
    qToLittleEndian<quint16>(0x0004, doc.data() + 0x0A);
    qToLittleEndian<quint32>(quint32(doc.size()), doc.data() + 0x160);
    qToLittleEndian<quint32>(quint32(clx.size()), doc.data() + 0x164);
    return doc + clx;
}

TEST(WordText, Word6DocumentsInTheirLanguagesCodePage) {
    struct Case {
        quint16 language;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {0x0419, "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0\r", QStringLiteral("Привет мир")},
        {0x0405, "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r", QStringLiteral("Žluťoučký kůň")},
        {0x0408, "\xC5\xEB\xEB\xDC\xE4\xE1\r", QStringLiteral("Ελλάδα")},
        {0x0407,
         "Gr\xFC\xDF"
         "e \x80 5\r",
         QStringLiteral("Grüße € 5")},
    };
    for (const Case &c : cases) {
        for (const bool fastSaved : {false, true}) {
            SCOPED_TRACE(c.text.toStdString() + (fastSaved ? " fast-saved" : ""));
            QString text;
            EXPECT_EQ(officetext::wordStreamsText(word6Document(c.language, c.bytes, fastSaved), {},
                                                  {}, text),
                      Outcome::Text);
            EXPECT_EQ(text, c.text + QStringLiteral("\r\n"));
        }
    }
}

} // namespace

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

/// Marks the bytes [from, to) of the document deleted with changes tracked,
/// in a character property page of their own.
void markDeleted(QByteArray &doc, QByteArray &table, quint32 from, quint32 to) {
    doc.append(QByteArray(512 - doc.size() % 512, '\0'));
    const quint32 pn = quint32(doc.size() / 512);
    QByteArray page(512, '\0');
    qToLittleEndian(from, page.data());
    qToLittleEndian(to, page.data() + 4);
    page[8] = char(100);                                 // the run's properties at byte 200
    page[200] = 3;                                       // their size
    page.replace(201, 3, QByteArray("\x00\x08\x01", 3)); // sprmCFRMarkDel on
    page[511] = 1;                                       // one run
    doc += page;
    QByteArray bte;
    for (const quint32 value : {from, to, pn})
        put32(bte, value);
    qToLittleEndian(quint32(table.size()), doc.data() + 154 + 12 * 8);
    qToLittleEndian(quint32(bte.size()), doc.data() + 154 + 12 * 8 + 4);
    table += bte;
}

// "dog" replaced by "frog" with changes tracked: the deleted word is in the
// text, marked in the character properties; a reader sees only "frog".
TEST(WordText, TextDeletedWithChangesTrackedIsNotShown) {
    auto [doc, table] = wordStreams({{u"The dogfrog barks.\r"_qs, true}});
    markDeleted(doc, table, 1024 + 4, 1024 + 7);
    QString text;
    EXPECT_EQ(officetext::wordStreamsText(doc, {}, table, text), Outcome::Text);
    EXPECT_EQ(text, u"The frog barks.\r\n"_qs);
}

// Lists: the list definitions and the lists that name them in the table
// stream, a paragraph's list and level in its own properties or its style's.
struct ListParagraph {
    QString text;
    int style = 0;
    int list = -1, level = -1; // -1: not in the paragraph's own properties
};

QByteArray listProperties(int list, int level) {
    QByteArray grpprl;
    if (list >= 0)
        grpprl += QByteArray("\x0B\x46", 2) + le16(quint16(list));
    if (level >= 0)
        grpprl += QByteArray("\x0A\x26", 2) + char(level);
    return grpprl;
}

QByteArray levelBytes(int start, quint8 format, const QString &text, int properties = 0) {
    QByteArray level = le32(quint32(start)) + char(format) + QByteArray(19, '\0');
    level += QByteArray(1, 0) + char(properties) + QByteArray(2, 0) + QByteArray(properties, 0x55);
    put16(level, quint16(text.size()));
    return level + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

/// Three definitions (numbered outline, bullet, roman from a restart) and
/// four lists, the fourth a second list of the first definition.
std::pair<QByteArray, QByteArray> listTables() {
    QByteArray lst = le16(3), levels;
    for (const quint32 id : {100u, 200u, 300u})
        lst += le32(id) + le32(0) + QByteArray(18, '\xFF') + char(id == 200 ? 1 : 0) + char(0);
    const QString outline[] = {u"\0."_qs, u"\0.\1"_qs, u"\2)"_qs};
    for (int k = 0; k < 9; ++k)
        levels += levelBytes(1, k == 2 ? 4 : 0, k < 3 ? outline[k] : QString(), k == 0 ? 4 : 0);
    levels += levelBytes(1, 23, u"\uF0B7"_qs);
    for (int k = 0; k < 9; ++k)
        levels += levelBytes(k == 1 ? 3 : 1, k == 0 ? 1 : 2, k == 0 ? u"\0."_qs : u"(\1)"_qs);
    QByteArray lfo = le32(4), data;
    for (const quint32 id : {100u, 200u, 300u, 100u}) {
        lfo += le32(id) + le32(0) + le32(0) + char(id == 300 ? 1 : 0) + QByteArray(3, '\0');
        data += le32(0xFFFFFFFF) + (id == 300 ? le32(4) + le32(0x10) : QByteArray());
    }
    return {lst + levels, lfo + data};
}

/// Normal; Heading 1 numbered by list 1; Chapter based on Heading 1.
QByteArray styleSheet() {
    QByteArray stsh = le16(4) + le16(3) + le16(10);
    const auto style = [&](const QString &name, int base, const QByteArray &grpprl) {
        QByteArray std = le16(0) + le16(quint16(1 | base << 4)) + le16(2) + QByteArray(4, '\0');
        std += le16(quint16(name.size())) +
               QByteArray(reinterpret_cast<const char *>(name.utf16()), name.size() * 2) + le16(0);
        std += le16(quint16(2 + grpprl.size())) + le16(0) + grpprl;
        std += QByteArray(std.size() % 2, '\0') + le16(0);
        stsh += le16(quint16(std.size())) + std;
    };
    style(u"Normal"_qs, 0xFFF, {});
    style(u"Heading 1"_qs, 0, listProperties(1, 0));
    style(u"Chapter"_qs, 1, {});
    return stsh;
}

/// The text of a document of those paragraphs; bytes [deletedFrom,
/// deletedTo) of the first paragraph's are marked deleted.
QString listDocumentText(const std::vector<ListParagraph> &paragraphs, quint32 deletedFrom = 0,
                         quint32 deletedTo = 0) {
    // Half the paragraphs in 8-bit text, half in UTF-16.
    QString first, second;
    for (size_t i = 0; i < paragraphs.size(); ++i)
        (i < paragraphs.size() / 2 ? first : second) += paragraphs[i].text + u'\r';
    auto [doc, table] = wordStreams({{first, true}, {second, false}});
    QByteArray page(512, '\0');
    qsizetype fc = 1024, at = 256;
    page[511] = char(paragraphs.size());
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        const ListParagraph &p = paragraphs[i];
        qToLittleEndian(quint32(fc), page.data() + i * 4);
        fc += (p.text.size() + 1) * (i < paragraphs.size() / 2 ? 1 : 2);
        qToLittleEndian(quint32(fc), page.data() + (i + 1) * 4);
        QByteArray properties = le16(quint16(p.style)) + listProperties(p.list, p.level);
        properties += QByteArray(properties.size() % 2, '\0');
        page[(paragraphs.size() + 1) * 4 + i * 13] = char(at / 2);
        page.replace(at, properties.size() + 2,
                     QByteArray(1, '\0') + char(properties.size() / 2) + properties);
        at += properties.size() + 2;
    }
    doc += QByteArray(512 - doc.size() % 512, '\0');
    const quint32 pn = quint32(doc.size() / 512);
    doc += page;
    const auto [lst, lfo] = listTables();
    QByteArray bte;
    for (const quint32 value : {1024u, quint32(fc), pn})
        put32(bte, value);
    for (const auto &[index, part] :
         {std::pair{1, styleSheet()}, {13, bte}, {73, lst}, {74, lfo}}) {
        qToLittleEndian(quint32(table.size()), doc.data() + 154 + index * 8);
        qToLittleEndian(quint32(part.size()), doc.data() + 154 + index * 8 + 4);
        table += part;
    }
    if (deletedTo > deletedFrom)
        markDeleted(doc, table, 1024 + deletedFrom, 1024 + deletedTo);
    QString text;
    EXPECT_EQ(officetext::wordStreamsText(doc, {}, table, text), Outcome::Text);
    return text;
}

TEST(WordText, ListNumbersLettersRomansAndBulletsAsWordDrawsThem) {
    const QString text = listDocumentText(
        {
            {u"The dogfrog Introduction"_qs, 1},
            {u"Purpose"_qs, 0, 1, 1},
            {u"Scope"_qs, 0, 1, 1},
            {u"first"_qs, 0, 1, 2},
            {u"second \x13 SEQ x \x14\x15"_qs, 0, 1, 2},
            {u"Design"_qs, 2},       // a style based on a numbered one
            {u"Layers"_qs, 0, 4, 1}, // another list of one definition counts on
            {u"point"_qs, 0, 2},     // a bullet
            {u"Fourth"_qs, 0, 3, 0}, // a list that starts anew at 4
            {u"sub"_qs, 0, 3, 1},    // a level that starts at 3
            {u"Plain"_qs},           //
            {u"Unlisted"_qs, 1, 0},  // list 0 takes the style's number away
        },
        0, 12); // "The dogfrog ": text deleted at the start of a numbered paragraph
    EXPECT_EQ(
        text.split(u"\r\n"_qs, Qt::SkipEmptyParts),
        QStringList({u"1. Introduction"_qs, u"1.1 Purpose"_qs, u"1.2 Scope"_qs, u"a) first"_qs,
                     u"b) second "_qs, u"2. Design"_qs, u"2.1 Layers"_qs, u"\u00B7 point"_qs,
                     u"IV. Fourth"_qs, u"(iii) sub"_qs, u"Plain"_qs, u"Unlisted"_qs}));
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
QByteArray word6Document(quint16 language, const QByteArray &text, bool fastSaved,
                         quint8 fontCharset) {
    // The font table: Times New Roman, Symbol and one of the given script.
    QByteArray fonts = le16(0);
    for (const auto &[name, charset] : {std::pair{"Times New Roman", 0},
                                        {"Symbol", 2},
                                        {"Times New Roman Script", int(fontCharset)}})
        fonts += char(5 + qstrlen(name)) + QByteArray("\x16\x90\x01", 3) + char(charset) + char(0) +
                 name + '\0';
    QByteArray doc(0x200, '\0');
    qToLittleEndian<quint32>(quint32(doc.size() - fonts.size()), doc.data() + 0xD0);
    qToLittleEndian<quint32>(quint32(fonts.size()), doc.data() + 0xD4);
    doc.replace(doc.size() - fonts.size(), fonts.size(), fonts);
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
        quint8 fontCharset = 0;
    };
    const Case cases[] = {
        {0x0419, "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0\r", QStringLiteral("Привет мир")},
        {0x0405, "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r", QStringLiteral("Žluťoučký kůň")},
        {0x0408, "\xC5\xEB\xEB\xDC\xE4\xE1\r", QStringLiteral("Ελλάδα")},
        {0x0407,
         "Gr\xFC\xDF"
         "e \x80 5\r",
         QStringLiteral("Grüße € 5")},
        // Marked English, in Cyrillic fonts: the fonts' script, when the text is of one.
        {0x0409, "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0\r", QStringLiteral("Привет мир"), 204},
        {0x0409, "Caf\xE9 au lait\r", QStringLiteral("Café au lait"), 204},
    };
    for (const Case &c : cases) {
        for (const bool fastSaved : {false, true}) {
            SCOPED_TRACE(c.text.toStdString() + (fastSaved ? " fast-saved" : ""));
            QString text;
            EXPECT_EQ(
                officetext::wordStreamsText(
                    word6Document(c.language, c.bytes, fastSaved, c.fontCharset), {}, {}, text),
                Outcome::Text);
            EXPECT_EQ(text, c.text + QStringLiteral("\r\n"));
        }
    }
}

} // namespace

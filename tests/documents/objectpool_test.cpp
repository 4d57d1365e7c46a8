// Objects a Word 97-2003 document embeds: each kind the document may keep
// (a storage of its own, a package, a Packager file, a CONTENTS stream) is
// carried as a file under the object's name, whose text is read as any
// document's. The documents are the fixtures, rewritten with objects added.
#include "documents/compoundfile.h"
#include "documents/compoundwriter.h"
#include "documents/documenttext.h"
#include "tests/support/recordbytes.h"
#include "tests/support/zipbytes.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray fixture(const char *name) {
    QFile file(QStringLiteral(DOCUMENTS_DATA) + QLatin1StringView(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

QString textOf(const QByteArray &bytes, std::vector<EmbeddedFile> *carried = nullptr) {
    Extraction extraction(bytes);
    EXPECT_EQ(extractDocument(extraction), Outcome::Text);
    if (carried)
        *carried = std::move(extraction.embedded);
    return extraction.text;
}

/// A Packager object's native data wrapping one file.
QByteArray packaged(const QByteArray &name, const QByteArray &bytes) {
    QByteArray native = le16(2) + name + '\0' + "C:\\" + name + '\0' + le16(0) + le16(3);
    const QByteArray temp = "C:\\Temp\\" + name + '\0';
    native += le32(quint32(temp.size())) + temp + le32(quint32(bytes.size())) + bytes;
    return le32(quint32(native.size())) + native;
}

TEST(WordObjects, EachKindOfObjectIsCarriedUnderItsObjectsName) {
    const QByteArray doc = fixture("sample.doc"), xls = fixture("sample.xls");
    CompoundFile wordFile, bookFile;
    ASSERT_TRUE(wordFile.open(doc));
    ASSERT_TRUE(bookFile.open(xls));
    const QByteArray docx = zipFile(wordPackage(
        zipEntry("word/document.xml",
                 "<w:document><w:body><w:p><w:r><w:t>PackagedDocxWord</w:t></w:r></w:p></w:body>"
                 "</w:document>")));
    CompoundWriter writer;
    writer.addCopy(0, wordFile, 0);
    const quint32 pool = writer.addStorage(0, u"ObjectPool"_qs);
    const auto object = [&](const QString &name) { return writer.addStorage(pool, name); };
    writer.addCopy(object(u"_1001"_qs), bookFile, 0);
    writer.addStream(object(u"_1001"_qs), u"\u0001CompObj"_qs, QByteArray(40, '\0'));
    writer.addStream(object(u"_1002"_qs), u"Package"_qs, docx);
    writer.addStream(object(u"_1003"_qs), u"\u0001Ole10Native"_qs,
                     packaged("notes.txt", "PackagerFileWord\r\n"));
    writer.addStream(object(u"_1004"_qs), u"CONTENTS"_qs, "ContentsStreamWord\r\n");
    writer.addStream(object(u"_1005"_qs), u"\u0001Ole"_qs, QByteArray(20, '\0')); // a picture only
    std::vector<EmbeddedFile> carried;
    const QString text = textOf(writer.write(), &carried);
    EXPECT_EQ(text, textOf(doc)); // the document's own text as before, the objects apart

    const struct {
        QString name;
        QString word;
    } expected[] = {
        {u"ObjectPool/_1001/Workbook.xls"_qs, u"SheetOneWord"_qs},
        {u"ObjectPool/_1002/Package.docx"_qs, u"PackagedDocxWord"_qs},
        {u"ObjectPool/_1003/notes.txt"_qs, u"PackagerFileWord"_qs},
        {u"ObjectPool/_1004/CONTENTS"_qs, u"ContentsStreamWord"_qs},
    };
    ASSERT_EQ(carried.size(), std::size(expected));
    for (size_t i = 0; i < carried.size(); ++i) {
        EXPECT_EQ(carried[i].name, expected[i].name);
        const bool document = carried[i].name.endsWith(u"xls") || carried[i].name.endsWith(u"x");
        const QString inner =
            document ? textOf(carried[i].bytes) : QString::fromLatin1(carried[i].bytes);
        EXPECT_TRUE(inner.contains(expected[i].word)) << carried[i].name.toStdString();
    }
}

} // namespace

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

/// Every stream of a compound file, by its path of storages.
std::vector<CompoundStream> streamsOf(const QByteArray &bytes, const QString &under = {}) {
    CompoundFile file;
    EXPECT_TRUE(file.open(bytes));
    std::vector<CompoundStream> streams;
    const auto walk = [&](const auto &self, quint32 storage, const QString &path) -> void {
        for (const quint32 child : file.children(storage)) {
            const CompoundFile::Entry &entry = file.entries().at(child);
            if (entry.type == CompoundFile::Type::Storage) {
                self(self, child, path + entry.name + u'/');
                continue;
            }
            // A copy: the stream may share the bytes, which the caller may drop.
            const QByteArray stream = file.stream(child);
            streams.push_back({path + entry.name, QByteArray(stream.constData(), stream.size())});
        }
    };
    walk(walk, 0, under);
    return streams;
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
    const QByteArray doc = fixture("sample.doc");
    std::vector<CompoundStream> streams = streamsOf(doc);
    const QByteArray docx = zipFile(wordPackage(
        zipEntry("word/document.xml",
                 "<w:document><w:body><w:p><w:r><w:t>PackagedDocxWord</w:t></w:r></w:p></w:body>"
                 "</w:document>")));
    for (CompoundStream &s : streamsOf(fixture("sample.xls"), u"ObjectPool/_1001/"_qs))
        streams.push_back(std::move(s));
    streams.push_back({u"ObjectPool/_1001/\u0001CompObj"_qs, QByteArray(40, '\0')});
    streams.push_back({u"ObjectPool/_1002/Package"_qs, docx});
    streams.push_back(
        {u"ObjectPool/_1003/\u0001Ole10Native"_qs, packaged("notes.txt", "PackagerFileWord\r\n")});
    streams.push_back({u"ObjectPool/_1004/CONTENTS"_qs, "ContentsStreamWord\r\n"});
    streams.push_back({u"ObjectPool/_1005/\u0001Ole"_qs, QByteArray(20, '\0')}); // a picture only
    std::vector<EmbeddedFile> carried;
    const QString text = textOf(writeCompoundFile(streams), &carried);
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

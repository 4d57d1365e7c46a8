// Compound files written here read back as they were written: every stream
// whole on either side of the mini-stream cutoff, storages within storages,
// and each storage's entries in the order office programs search them.
#include "documents/compoundfile.h"
#include "documents/compoundwriter.h"
#include "documents/embeddedfiles.h"

#include <gtest/gtest.h>

namespace {

QStringList childNames(const CompoundFile &file, quint32 storage) {
    QStringList names;
    for (const quint32 child : file.children(storage))
        names.append(file.entries().at(child).name);
    return names;
}

TEST(CompoundWriter, WritesWhatTheReaderReadsBackAndCopiesItWhole) {
    const QString longName = QString(40, u'L');
    const struct {
        QString name;
        qsizetype size;
    } streams[] = {
        {u"Zeta"_qs, 4096}, // the first size past the mini stream
        {u"b"_qs, 0},       {u"Alpha"_qs, 4095}, {longName, 70000}, {u"c"_qs, 1},
    };
    CompoundWriter writer;
    for (const auto &stream : streams)
        EXPECT_TRUE(writer.addStream(0, stream.name, QByteArray(stream.size, char(stream.size))));
    EXPECT_FALSE(writer.addStream(0, u"ALPHA"_qs, "a second of that name"));
    const quint32 inner = writer.addStorage(0, u"Inner"_qs);
    EXPECT_EQ(writer.addStorage(0, u"inner"_qs), inner);
    writer.addStream(writer.addStorage(inner, u"Deeper"_qs), u"Leaf"_qs, "leaf bytes");
    const QByteArray bytes = writer.write();

    const auto readsBack = [&](const QByteArray &written, CompoundFile &file) {
        ASSERT_TRUE(file.open(written));
        // Shorter names first, then by upper case: the tree is searched in that order.
        EXPECT_EQ(childNames(file, 0), QStringList({u"b"_qs, u"c"_qs, u"Zeta"_qs, u"Alpha"_qs,
                                                    u"Inner"_qs, longName.left(31)}));
        for (const auto &stream : streams)
            EXPECT_EQ(file.stream(file.find(0, stream.name.left(31))),
                      QByteArray(stream.size, char(stream.size)))
                << stream.name.toStdString();
        const quint32 deeper = file.find(file.find(0, u"Inner"), u"Deeper");
        EXPECT_EQ(file.stream(file.find(deeper, u"Leaf")), "leaf bytes");
    };
    CompoundFile file, copy;
    readsBack(bytes, file);
    readsBack(storageFile(file, 0), copy);
}

TEST(CompoundWriter, WritesNothingPastTheBoundsOfACarriedFile) {
    CompoundWriter tooLarge;
    const QByteArray half(MaxEmbeddedBytes / 2 + 1, 'x');
    tooLarge.addStream(0, u"One"_qs, half);
    EXPECT_FALSE(tooLarge.addStream(0, u"Two"_qs, half));
    EXPECT_TRUE(tooLarge.write().isEmpty());

    CompoundWriter tooMany;
    for (int i = 0; i < 5000; ++i)
        tooMany.addStream(0, QString::number(i), "x");
    EXPECT_TRUE(tooMany.write().isEmpty());
}

} // namespace

// Compound files built here entry by entry: damaged directories that name one
// storage from many places.
#include "documents/compoundfile.h"
#include "documents/compoundtext.h"
#include "tests/support/recordbytes.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// A compound file (512-byte sectors) with one stream of 4096 bytes and
// directory entries as given; entry 0 is the root.
struct DirEntry {
    QString name;
    int type;
    quint32 left = 0xFFFFFFFF, right = 0xFFFFFFFF, child = 0xFFFFFFFF;
};

QByteArray compoundFile(const QList<DirEntry> &entries, const QByteArray &stream) {
    const quint32 streamSectors = 8, dirSectors = quint32(entries.size() + 3) / 4;
    const quint32 fatSector = streamSectors + dirSectors;
    QByteArray header(512, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    const char fixed[] = {0x3E, 0, 3, 0, '\xFE', '\xFF', 9, 0, 6, 0};
    header.replace(0x18, 10, QByteArray(fixed, 10));
    qToLittleEndian(quint32(1), header.data() + 0x2C);
    qToLittleEndian(streamSectors, header.data() + 0x30);
    qToLittleEndian(quint32(4096), header.data() + 0x38);
    qToLittleEndian(quint32(0xFFFFFFFE), header.data() + 0x3C);
    qToLittleEndian(quint32(0xFFFFFFFE), header.data() + 0x44);
    for (int i = 0; i < 109; ++i)
        qToLittleEndian(i == 0 ? fatSector : 0xFFFFFFFF, header.data() + 0x4C + i * 4);
    QByteArray dir(int(dirSectors) * 512, '\0');
    for (qsizetype i = 0; i < entries.size(); ++i) {
        char *e = dir.data() + i * 128;
        const DirEntry &d = entries[i];
        std::memcpy(e, d.name.utf16(), size_t(d.name.size()) * 2);
        qToLittleEndian(quint16((d.name.size() + 1) * 2), e + 0x40);
        e[0x42] = char(d.type);
        qToLittleEndian(d.left, e + 0x44);
        qToLittleEndian(d.right, e + 0x48);
        qToLittleEndian(d.child, e + 0x4C);
        qToLittleEndian(quint32(d.type == 2 ? 0 : 0xFFFFFFFE), e + 0x74);
        qToLittleEndian(quint32(d.type == 2 ? stream.size() : 0), e + 0x78);
    }
    QByteArray fat;
    for (quint32 s = 0; s < 128; ++s)
        put32(fat, s + 1 < streamSectors || (s >= streamSectors && s + 1 < fatSector) ? s + 1
                   : s == fatSector                                                   ? 0xFFFFFFFD
                   : s <= fatSector                                                   ? 0xFFFFFFFE
                                                                                      : 0xFFFFFFFF);
    return header + stream + dir + fat;
}

TEST(CompoundText, AStorageNamedFromManyPlacesIsReadOnce) {
    // Two storages on each of 16 levels, both holding the same pair below:
    // read naively, the stream at the bottom would be read 65,536 times.
    QList<DirEntry> entries{{QStringLiteral("Root Entry"), 5}};
    entries[0].child = 1;
    for (quint32 level = 0; level < 16; ++level) {
        const quint32 a = 1 + 2 * level, below = a + 2;
        entries.append({QStringLiteral("A%1").arg(level), 1, 0xFFFFFFFF, a + 1, below});
        entries.append({QStringLiteral("B%1").arg(level), 1, 0xFFFFFFFF, 0xFFFFFFFF, below});
    }
    entries.append({QStringLiteral("Contents"), 2});
    const QByteArray bytes =
        compoundFile(entries, QByteArray("Deeply kept words") + QByteArray(4096 - 17, '\0'));
    CompoundFile file;
    ASSERT_TRUE(file.open(bytes));
    ASSERT_EQ(file.entries().size(), 36);
    QString text;
    EXPECT_EQ(officetext::compoundText(file, text), Outcome::Text);
    EXPECT_EQ(text.count(u"Deeply kept words"), 1) << text.left(300).toStdString();
}

} // namespace

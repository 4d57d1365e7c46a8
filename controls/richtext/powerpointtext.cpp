// PowerPoint 97-2003 presentations: a tree of records in the "PowerPoint
// Document" stream. Text atoms hold the text of slides, notes and shapes.
#include "controls/richtext/officetext.h"

#include "controls/richtext/codepages.h"

#include <QSet>
#include <QtEndian>

namespace {

enum Record : quint16 {
    DocumentAtom = 0x03E9,
    MainMaster = 0x03F8,
    Handout = 0x0FC9,
    TextChars = 0x0FA0,
    TextBytes = 0x0FA8,
    UserEdit = 0x0FF5,
    PersistDirectory = 0x1772
};

constexpr int MaxDepth = 64;

quint16 u16(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.data() + at) : 0;
}
quint32 u32(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.data() + at) : 0;
}

/// Stream offsets of the notes master and handout master, which hold only
/// placeholder text: found through the current edit's persist directory.
QSet<quint32> masterOffsets(QByteArrayView doc, QByteArrayView user) {
    QSet<quint32> offsets;
    const quint32 edit = u32(user, 8 + 8);
    if (u16(doc, edit + 2) != UserEdit)
        return offsets;
    const quint32 dirAt = u32(doc, edit + 8 + 12);
    if (u16(doc, dirAt + 2) != PersistDirectory)
        return offsets;
    QHash<quint32, quint32> persist;
    const qsizetype end = qMin<qsizetype>(dirAt + 8 + qsizetype(u32(doc, dirAt + 4)), doc.size());
    for (qsizetype at = dirAt + 8; at + 4 <= end;) {
        const quint32 head = u32(doc, at);
        const quint32 first = head & 0xFFFFF, count = head >> 20;
        at += 4;
        for (quint32 i = 0; i < count && at + 4 <= end; ++i, at += 4)
            persist.insert(first + i, u32(doc, at));
    }
    // The DocumentAtom names the notes master and handout master.
    for (qsizetype at = 0; at + 8 <= doc.size(); at += 8) {
        if (u16(doc, at + 2) == DocumentAtom) {
            for (const qsizetype field : {24, 28})
                if (const quint32 id = u32(doc, at + 8 + field); id && persist.contains(id))
                    offsets.insert(persist.value(id));
            break;
        }
        if ((u16(doc, at) & 0xF) != 0xF) // only step into containers
            at += u32(doc, at + 4);
    }
    return offsets;
}

class Walker {
  public:
    Walker(QByteArrayView doc, QSet<quint32> skipped, QString &text)
        : doc_(doc), skipped_(std::move(skipped)), text_(text) {}

    void walk(qsizetype from, qsizetype to, int depth) {
        for (qsizetype at = from; at + 8 <= to;) {
            const bool container = (u16(doc_, at) & 0xF) == 0xF;
            const quint16 type = u16(doc_, at + 2);
            const qsizetype end = qMin<qsizetype>(at + 8 + qsizetype(u32(doc_, at + 4)), to);
            const QByteArrayView body = doc_.sliced(at + 8, end - at - 8);
            if (type == MainMaster || type == Handout || skipped_.contains(quint32(at))) {
                // placeholder text of masters is not the document's
            } else if (container && depth < MaxDepth) {
                walk(at + 8, end, depth + 1);
            } else if (type == TextChars) {
                add(codepages::fromUtf16LE(body));
            } else if (type == TextBytes) {
                add(QString::fromLatin1(body));
            }
            at = end;
        }
    }

  private:
    void add(QString text) {
        text.replace(u'\r', QStringLiteral("\r\n")).replace(u'\v', QStringLiteral("\r\n"));
        text_ += text + QStringLiteral("\r\n");
    }

    QByteArrayView doc_;
    QSet<quint32> skipped_;
    QString &text_;
};

} // namespace

namespace officetext {

bool powerPointText(const CompoundFile &file, quint32 storage, QString &text) {
    const quint32 entry = file.find(storage, u"PowerPoint Document");
    if (entry == CompoundFile::NoEntry ||
        file.find(storage, u"EncryptedSummary") != CompoundFile::NoEntry)
        return false;
    return powerPointStreamsText(file.stream(entry),
                                 file.stream(file.find(storage, u"Current User")), text);
}

bool powerPointStreamsText(QByteArrayView document, QByteArrayView currentUser, QString &text) {
    Walker(document, masterOffsets(document, currentUser), text).walk(0, document.size(), 0);
    return true;
}

} // namespace officetext

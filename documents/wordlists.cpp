// Word 97-2003 lists. The table stream holds the list definitions (LSTF,
// each followed after all of them by its one or nine LVLs: first number,
// number format, level text with the levels' places) and the lists the
// paragraphs name (LFO, with the levels they start anew). A paragraph names
// its list (sprmPIlfo) and level (sprmPIlvl) in its own properties or in
// those of its style.
#include "documents/wordlists.h"

#include "platform/codepage.h"
#include "platform/littleendian.h"

#include <QHash>

#include <algorithm>

namespace {

using littleendian::u16;
using littleendian::u32;

constexpr quint16 SprmListLevel = 0x260A, SprmList = 0x460B;
constexpr qsizetype LstfSize = 28, LvlfSize = 28, LfoSize = 16, PageSize = 512;
constexpr int NoStyle = 0x0FFF;

QByteArrayView slice(QByteArrayView bytes, qsizetype at, qsizetype size) {
    if (at < 0 || at >= bytes.size() || size <= 0)
        return {};
    return bytes.sliced(at, qMin(size, bytes.size() - at));
}

/// Word's number formats by the names the package form gives them.
QString formatName(quint8 nfc) {
    switch (nfc) {
    case 1:
        return QStringLiteral("upperRoman");
    case 2:
        return QStringLiteral("lowerRoman");
    case 3:
        return QStringLiteral("upperLetter");
    case 4:
        return QStringLiteral("lowerLetter");
    case 22:
        return QStringLiteral("decimalZero");
    case 23:
        return QStringLiteral("bullet");
    case 255:
        return QStringLiteral("none");
    default:
        return QStringLiteral("decimal");
    }
}

/// One LVL at `at`: the level and the offset after it.
std::pair<ListNumbers::Level, qsizetype> readLevel(QByteArrayView table, qsizetype at) {
    ListNumbers::Level level;
    level.start = qint32(u32(table, at));
    level.format = formatName(at + 4 < table.size() ? quint8(table[at + 4]) : 0);
    level.legal = at + 5 < table.size() && (quint8(table[at + 5]) & 0x04);
    const qsizetype properties =
        (at + 25 < table.size()) ? qsizetype{quint8(table[at + 24])} + quint8(table[at + 25]) : 0;
    at += LvlfSize + properties;
    const qsizetype chars = u16(table, at);
    // The level text names the levels' numbers by characters 0 to 8.
    const QString text = platform::fromUtf16LE(slice(table, at + 2, chars * 2));
    for (const QChar c : text)
        level.text += c.unicode() < ListNumbers::Levels ? u'%' + QString::number(c.unicode() + 1)
                                                        : QString(c);
    return {level, at + 2 + chars * 2};
}

} // namespace

WordLists WordLists::read(QByteArrayView doc, QByteArrayView table, qsizetype offsets) {
    WordLists lists;
    if (u16(doc, offsets - 2) <= 74)
        return lists;
    const auto part = [&](int index) {
        return slice(table, u32(doc, offsets + qsizetype{index} * 8),
                     u32(doc, offsets + qsizetype{index} * 8 + 4));
    };
    lists.readListTables(table, part(73), part(74));
    if (lists.isEmpty())
        return lists;
    lists.readStyles(part(1));
    lists.readParagraphs(doc, part(13));
    return lists;
}

void WordLists::readListTables(QByteArrayView table, QByteArrayView lst, QByteArrayView lfo) {
    const qsizetype count =
        qBound(qsizetype{0}, qsizetype{qint16(u16(lst, 0))}, (lst.size() - 2) / LstfSize);
    QHash<quint32, int> definitionOf;
    qsizetype at = (lst.data() - table.data()) + 2 + count * LstfSize;
    for (qsizetype i = 0; i < count && at < table.size(); ++i) {
        const qsizetype lstf = 2 + i * LstfSize;
        definitionOf.insert(u32(lst, lstf), int(i));
        const int levels = (quint8(lst[lstf + 26]) & 0x01) ? 1 : ListNumbers::Levels;
        for (int k = 0; k < levels; ++k) {
            const auto [level, after] = readLevel(table, at);
            numbers_.define(int(i), k, level);
            at = after;
        }
    }
    const qsizetype lists = qMin<qsizetype>(u32(lfo, 0), (lfo.size() - 4) / LfoSize);
    qsizetype data = 4 + lists * LfoSize;
    for (qsizetype i = 0; i < lists; ++i) {
        const qsizetype entry = 4 + i * LfoSize;
        ListNumbers::List list{definitionOf.value(u32(lfo, entry), -1), {}};
        const int overrides = quint8(lfo[entry + 12]);
        data += 4;
        for (int k = 0; k < overrides && data < lfo.size(); ++k) {
            const quint32 flags = u32(lfo, data + 4);
            if (flags & 0x10)
                list.startOverrides.insert(int(flags & 0x0F), qint32(u32(lfo, data)));
            data += 8;
            if (flags & 0x20) // a level of its own follows
                data = readLevel(lfo, data).second;
        }
        if (list.definition >= 0)
            numbers_.addList(int(i) + 1, list);
    }
}

void WordLists::readPlace(QByteArrayView grpprl, Place &place) {
    forEachSprm(grpprl, [&](quint16 sprm, QByteArrayView operand) {
        if (sprm == SprmList)
            place.list = qint16(u16(operand, 0));
        else if (sprm == SprmListLevel)
            place.level = quint8(operand[0]);
    });
}

void WordLists::readStyles(QByteArrayView stsh) {
    const qsizetype header = u16(stsh, 0);
    const qsizetype count = u16(stsh, 2), baseSize = u16(stsh, 4);
    styles_.reserve(size_t(qMin(count, stsh.size() / 2)));
    for (qsizetype at = 2 + header; qsizetype(styles_.size()) < count && at + 2 <= stsh.size();) {
        const qsizetype size = u16(stsh, at);
        const QByteArrayView entry = slice(stsh, at + 2, size);
        at += 2 + size;
        Style style;
        if (!entry.isEmpty()) {
            style.base = u16(entry, 2) >> 4;
            const bool paragraph = (u16(entry, 2) & 0x0F) == 1,
                       withProperties = u16(entry, 4) & 0x0F;
            const qsizetype upx = baseSize + 2 + 2 * qsizetype(u16(entry, baseSize)) + 2;
            if (paragraph && withProperties) {
                const qsizetype even = upx + (upx & 1);
                readPlace(slice(entry, even + 4, qsizetype(u16(entry, even)) - 2), style.place);
            }
        }
        styles_.push_back(style);
    }
}

void WordLists::readParagraphs(QByteArrayView doc, QByteArrayView plcBte) {
    const qsizetype pages = (plcBte.size() - 4) / 8;
    for (qsizetype i = 0; i < pages; ++i) {
        const qsizetype pn = u32(plcBte, (pages + 1) * 4 + i * 4) & 0x3FFFFF;
        const QByteArrayView page = slice(doc, pn * PageSize, PageSize);
        if (page.size() < PageSize)
            continue;
        const qsizetype count = quint8(page[PageSize - 1]);
        if ((count + 1) * 4 + count * 13 >= PageSize)
            continue;
        for (qsizetype k = 0; k < count; ++k) {
            const qsizetype at = qsizetype{quint8(page[(count + 1) * 4 + k * 13])} * 2;
            if (at == 0 || at + 2 >= PageSize)
                continue;
            // A size byte of 0 is followed by the size in words.
            const qsizetype cb = quint8(page[at]);
            const QByteArrayView properties =
                cb ? slice(page, at + 1, 2 * cb - 1)
                   : slice(page, at + 2, qsizetype{2} * quint8(page[at + 1]));
            Run run{u32(page, k * 4), u32(page, (k + 1) * 4), {}};
            run.place.style = u16(properties, 0);
            readPlace(properties.sliced(qMin<qsizetype>(2, properties.size())), run.place);
            runs_.push_back(run);
        }
    }
    std::sort(runs_.begin(), runs_.end(),
              [](const Run &a, const Run &b) { return a.from < b.from; });
}

WordLists::Place WordLists::resolved(Place place) const {
    // The style and the styles it is based on give what the paragraph does not.
    for (int style = place.style, hops = 0;
         (place.list < 0 || place.level < 0) && style != NoStyle && hops < 16; ++hops) {
        if (style < 0 || size_t(style) >= styles_.size())
            break;
        const Place &own = styles_[size_t(style)].place;
        if (place.list < 0)
            place.list = own.list;
        if (place.level < 0)
            place.level = own.level;
        style = styles_[size_t(style)].base;
    }
    return place;
}

QString WordLists::next(qsizetype fc) {
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), fc,
                                        [](qsizetype at, const Run &run) { return at < run.from; });
    if (after == runs_.begin() || fc >= std::prev(after)->to)
        return {};
    const Place place = resolved(std::prev(after)->place);
    const QString label = numbers_.next(place.list, qMax(place.level, 0), {});
    return label.isEmpty() ? label : label + u' ';
}

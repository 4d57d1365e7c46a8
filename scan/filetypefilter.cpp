#include "scan/filetypefilter.h"

#include "scan/searchexpression.h"

#include <algorithm>
#include <array>

namespace FileTypeFilter {
namespace {

const std::array<QString, 11> kExcludedTypes = {
    QStringLiteral("exe"), QStringLiteral("dll"), QStringLiteral("com"), QStringLiteral("zip"),
    QStringLiteral("rar"), QStringLiteral("arj"), QStringLiteral("gif"), QStringLiteral("jpg"),
    QStringLiteral("mp3"), QStringLiteral("ico"), QStringLiteral("bmp")};

const std::array<QString, 16> kRichTextTypes = {
    QStringLiteral("DOC"), QStringLiteral("PPT"), QStringLiteral("DOT"), QStringLiteral("DIF"),
    QStringLiteral("EML"), QStringLiteral("MPP"), QStringLiteral("MPT"), QStringLiteral("MPW"),
    QStringLiteral("MPX"), QStringLiteral("OBD"), QStringLiteral("OBT"), QStringLiteral("POT"),
    QStringLiteral("PPA"), QStringLiteral("PPS"), QStringLiteral("XLS"), QStringLiteral("XLT")};

template <std::size_t N> bool isOneOf(const QString &value, const std::array<QString, N> &list) {
    for (const QString &item : list)
        if (item == value)
            return true;
    return false;
}

QStringView afterLastDot(const QString &entry) {
    const qsizetype at = entry.lastIndexOf(u'.');
    return at < 0 ? QStringView() : QStringView(entry).mid(at + 1);
}

bool isAscii(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Every file of a tree is tested, so an ASCII type, the usual one, is compared
// in place; any other is changed in case as a whole first, as it always was.
template <std::size_t N>
bool typeIsOneOf(const QString &entry, const std::array<QString, N> &list, bool upper) {
    const QStringView type = afterLastDot(entry);
    if (!isAscii(type))
        return isOneOf(upper ? type.toString().toUpper() : type.toString().toLower(), list);
    return std::any_of(list.begin(), list.end(), [&](const QString &item) {
        return item.size() == type.size() &&
               QStringView(item).compare(type, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

QString GetAfterLast(const QString &text, QChar separator) {
    const qsizetype at = text.lastIndexOf(separator);
    return at < 0 ? QString() : text.mid(at + 1);
}

bool IsRichTextType(const QString &entry) {
    return typeIsOneOf(entry, kRichTextTypes, true);
}

bool passesAllFiles(const QString &entry) {
    return !typeIsOneOf(entry, kExcludedTypes, false);
}

namespace {
QString bareType(const QString &type) {
    QString bare = trimSpaces(type);
    if (bare.startsWith(u'*'))
        bare.remove(0, 1);
    if (bare.startsWith(u'.'))
        bare.remove(0, 1);
    return bare;
}
} // namespace

QString normalisedType(const QString &type) {
    if (!type.contains(u';'))
        return bareType(type);
    QStringList types;
    for (const QString &one : type.split(u';'))
        if (const QString bare = bareType(one); !bare.isEmpty())
            types += bare;
    return types.join(u';');
}

bool passesSpecifiedType(const QString &entry, const QString &type) {
    const QString extension = GetAfterLast(entry, u'.');
    const QString normalised = normalisedType(type);
    if (!normalised.contains(u';'))
        return extension.toLower() == normalised.toLower();
    const QStringList types = normalised.split(u';');
    return std::any_of(types.cbegin(), types.cend(), [&extension](const QString &one) {
        return extension.compare(one, Qt::CaseInsensitive) == 0;
    });
}

} // namespace FileTypeFilter

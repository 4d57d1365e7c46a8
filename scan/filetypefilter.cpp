#include "scan/filetypefilter.h"

#include "scan/searchexpression.h"

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

} // namespace

QString GetAfterLast(const QString &text, QChar separator) {
    const qsizetype at = text.lastIndexOf(separator);
    return at < 0 ? QString() : text.mid(at + 1);
}

bool IsRichTextType(const QString &entry) {
    return isOneOf(GetAfterLast(entry, u'.').toUpper(), kRichTextTypes);
}

bool passesAllFiles(const QString &entry) {
    return !isOneOf(GetAfterLast(entry, u'.').toLower(), kExcludedTypes);
}

QString normalisedType(const QString &type) {
    QString bare = trimSpaces(type);
    if (bare.startsWith(u'*'))
        bare.remove(0, 1);
    if (bare.startsWith(u'.'))
        bare.remove(0, 1);
    return bare;
}

bool passesSpecifiedType(const QString &entry, const QString &type) {
    return GetAfterLast(entry, u'.').toLower() == normalisedType(type).toLower();
}

} // namespace FileTypeFilter

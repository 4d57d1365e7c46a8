#include "fileprops/cfileversioninfo.h"

#include "platform/fullpath.h"
#include "platform/languagenames.h"
#include "platform/peversion.h"

#include <QtEndian>
#include <array>

namespace {

// VS_FIXEDFILEINFO, of which the signature, mask and date are not shown.
struct FixedFileInfo {
    quint32 structureVersion = 0;
    quint32 fileVersionMS = 0;
    quint32 fileVersionLS = 0;
    quint32 productVersionMS = 0;
    quint32 productVersionLS = 0;
    quint32 flags = 0;
    quint32 os = 0;
    quint32 type = 0;
    quint32 subtype = 0;
};
constexpr qsizetype FixedFileInfoSize = 52;

// A record that cannot be read counts as all zeros.
FixedFileInfo fixedFileInfo(QByteArrayView versionInfo) {
    std::array<char, FixedFileInfoSize> raw{};
    if (const auto root = platform::verQueryValue(versionInfo, u"\\"))
        std::copy_n(root->bytes.data(), std::min(root->bytes.size(), FixedFileInfoSize),
                    raw.data());
    const auto word = [&raw](int offset) {
        return qFromLittleEndian<quint32>(raw.data() + offset);
    };
    return {word(4), word(8), word(12), word(16), word(20), word(28), word(32), word(36), word(40)};
}

qint16 highHalf(quint32 word) {
    return qint16(word >> 16);
}
qint16 lowHalf(quint32 word) {
    return qint16(word & 0xFFFF);
}

// At least digits digits, a minus sign before them.
QString padded(int value, int digits) {
    const QString number =
        QString::number(std::abs(value)).rightJustified(digits, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + number : number;
}

// "1.02.0304": major, minor in two digits, then either the build in four or,
// when the third part is positive, third and fourth in two digits each.
QString versionText(quint32 mostSignificant, quint32 leastSignificant) {
    QString text = QString::number(highHalf(mostSignificant)) + QLatin1Char('.') +
                   padded(lowHalf(mostSignificant), 2) + QLatin1Char('.');
    if (highHalf(leastSignificant) <= 0)
        return text + padded(lowHalf(leastSignificant), 4);
    return text + padded(highHalf(leastSignificant), 2) + padded(lowHalf(leastSignificant), 2);
}

QString flagWords(quint32 flags) {
    static const std::pair<quint32, const char *> words[] = {
        {0x01, "Debug "},   {0x02, "PreRel "}, {0x04, "Patched "},
        {0x08, "Private "}, {0x10, "Info "},   {0x20, "Special "},
    };
    QString text;
    for (const auto &[bit, word] : words)
        if (flags & bit)
            text += QLatin1String(word);
    return text.trimmed();
}

QString systemWord(quint32 os) {
    switch (os) {
    case 0x10001:
        return QStringLiteral("DOS-Win16");
    case 0x10004:
        return QStringLiteral("DOS-Win32");
    case 0x20002:
        return QStringLiteral("OS/2-16 PM-16");
    case 0x30003:
        return QStringLiteral("OS/2-16 PM-32");
    case 0x40004:
        return QStringLiteral("NT-Win32");
    default:
        return QStringLiteral("Unknown");
    }
}

QString typeWord(quint32 type) {
    switch (type) {
    case 1:
        return QStringLiteral("Application");
    case 2:
        return QStringLiteral("DLL");
    case 3:
        return QStringLiteral("Driver");
    case 4:
        return QStringLiteral("Font");
    case 5:
        return QStringLiteral("VxD");
    case 7:
        return QStringLiteral("Lib");
    default:
        return QStringLiteral("Unknown");
    }
}

// Empty where the type has no word for the subtype.
QString subtypeWord(quint32 type, quint32 subtype) {
    static const char *const drivers[] = {
        "Unknown",     "Printer drv", "Keyboard drv", "Language drv", "Display drv", "Mouse drv",
        "Network drv", "System drv",  "Installable",  "Sound drv",    "Comm drv",
    };
    static const char *const fonts[] = {"Raster Font", "Vector Font", "TrueType Font"};
    if (type == 3 && subtype < std::size(drivers))
        return QLatin1String(drivers[subtype]);
    if (type == 4 && subtype >= 1 && subtype <= std::size(fonts))
        return QLatin1String(fonts[subtype - 1]);
    return {};
}

} // namespace

void CFileVersionInfo::setFullPathName(const QString &path) {
    const std::optional<QString> full = platform::fullPathName(path);
    if (!full)
        return;
    m_FullPathName = *full;
    Refresh();
}

void CFileVersionInfo::Refresh() {
    RefreshFrom(platform::fileVersionInfo(m_FullPathName));
}

void CFileVersionInfo::RefreshFrom(QByteArrayView versionInfo) {
    if (versionInfo.isEmpty()) {
        m_Available = false;
        return;
    }
    m_Available = true;
    readFixedRecord(versionInfo);
    readStrings(versionInfo);
}

void CFileVersionInfo::readFixedRecord(QByteArrayView versionInfo) {
    const FixedFileInfo fixed = fixedFileInfo(versionInfo);
    m_VerStructure = QString::number(highHalf(fixed.structureVersion)) + QLatin1Char('.') +
                     QString::number(lowHalf(fixed.structureVersion));
    m_VerFile = versionText(fixed.fileVersionMS, fixed.fileVersionLS);
    m_VerProduct = versionText(fixed.productVersionMS, fixed.productVersionLS);
    m_FileFlags = flagWords(fixed.flags);
    m_FileOS = systemWord(fixed.os);
    m_FileType = typeWord(fixed.type);
    const QString subtype = subtypeWord(fixed.type, fixed.subtype);
    if (!subtype.isEmpty())
        m_FileSubType = subtype;
}

// Only the first translation is read; its string table is keyed by language
// and code page in hexadecimal, "040904E4" for US English in Windows Latin-1.
void CFileVersionInfo::readStrings(QByteArrayView versionInfo) {
    const auto translation = platform::verQueryValue(versionInfo, u"\\VarFileInfo\\Translation");
    if (!translation || translation->length == 0 || translation->bytes.size() < 4)
        return;
    const quint16 language = qFromLittleEndian<quint16>(translation->bytes.data());
    const quint16 codePage = qFromLittleEndian<quint16>(translation->bytes.data() + 2);
    const QString key = QStringLiteral("%1%2")
                            .arg(language, 4, 16, QLatin1Char('0'))
                            .arg(codePage, 4, 16, QLatin1Char('0'))
                            .toUpper();
    const QString prefix = QStringLiteral("\\StringFileInfo\\") + key + QLatin1Char('\\');

    m_Language = platform::languageName(language);

    const std::pair<const char *, QString *> strings[] = {
        {"CompanyName", &m_CompanyName},           {"FileDescription", &m_FileDescription},
        {"FileVersion", &m_FileVersion},           {"InternalName", &m_InternalName},
        {"LegalCopyright", &m_LegalCopyright},     {"LegalTrademarks", &m_LegalTrademarks},
        {"OriginalFilename", &m_OriginalFilename}, {"ProductName", &m_ProductName},
        {"ProductVersion", &m_ProductVersion},
    };
    for (const auto &[name, value] : strings) {
        const auto found =
            platform::verQueryValue(versionInfo, QString(prefix + QLatin1String(name)));
        if (found && found->length != 0)
            *value = platform::versionText(*found);
    }
}

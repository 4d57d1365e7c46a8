#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace platform {

/// The version resource (RT_VERSION) of a Windows program or library, read from
/// its PE image (PE32 or PE32+, any machine): the whole VS_VERSIONINFO block
/// as the system's version interface hands it out. Empty when the file is not a
/// PE image, has no version resource, or any offset or size in the way is out of
/// bounds.
QByteArray fileVersionInfo(const QString &path);

/// The same for an image held in memory.
QByteArray peVersionInfo(QByteArrayView image);

/// One value of a version block.
struct VersionValue {
    /// The value's bytes within the block (cut at the block's end).
    QByteArrayView bytes;
    /// The length the block gives for its value: bytes, or characters for text.
    quint16 length = 0;
    /// Whether the block marks its value as text.
    bool text = false;
};

/// Finds a value in a version block by its path of keys, separated by "\" and
/// compared without regard to case: "\" is the root's fixed record,
/// "\VarFileInfo\Translation" the list of translations,
/// "\StringFileInfo\040904E4\CompanyName" one string. Nothing when a key is
/// missing or a block is damaged.
std::optional<VersionValue> verQueryValue(QByteArrayView block, QStringView subBlock);

/// A string value as text: UTF-16 up to its first NUL.
QString versionText(const VersionValue &value);

} // namespace platform

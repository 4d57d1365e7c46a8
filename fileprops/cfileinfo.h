#pragma once

#include <QDateTime>
#include <QIcon>
#include <QString>

/// Everything the file information window shows about one file: its path in
/// stored form split into folder, name and extension, short names, the shell's
/// name, type and icon, sizes, time stamps and attributes. Setting the path
/// gathers it all in one pass; afterwards every property is a stored value and
/// nothing touches the file system. When the file is not found, FileExists()
/// turns false and every other value keeps what it held.
class CFileInfo {
  public:
    CFileInfo();

    /// Makes the path absolute and reads the file; an empty or overlong path
    /// changes nothing.
    void setFullPathName(const QString &path);
    QString FullPathName() const { return m_FullPathName; }

    QString FileName() const { return m_FileName; }
    /// The folder, always ending in a separator.
    QString FilePath() const { return m_FilePath; }
    QString FileExtension() const { return m_FileExtension; }
    QString ShortPathName() const { return m_ShortPathName; }
    QString ShortName() const { return m_ShortName; }
    QString ShortPath() const { return m_ShortPath; }
    QString DisplayName() const { return m_DisplayName; }
    QString TypeName() const { return m_TypeName; }

    bool FileExists() const { return m_FileExists; }
    bool PathExists() const { return m_PathExists; }

    qint64 FileSize() const { return m_FileSize; }
    quint32 FileSizeHigh() const { return quint32(quint64(m_FileSize) >> 32); }
    /// The space the file occupies on disk.
    qint64 CompressedFileSize() const { return m_CompressedFileSize; }
    quint32 CompressedFileSizeHigh() const { return quint32(quint64(m_CompressedFileSize) >> 32); }

    /// Local time, whole seconds.
    QDateTime CreationTime() const { return m_CreationTime; }
    QDateTime LastAccessTime() const { return m_LastAccessTime; }
    QDateTime ModifyTime() const { return m_ModifyTime; }

    /// The Windows file attribute bits.
    quint32 Attributes() const { return m_Attributes; }
    bool attrReadOnly() const;
    bool attrHidden() const;
    bool attrSystem() const;
    bool attrArchive() const;
    bool attrTemporary() const;
    bool attrCompressed() const;

    /// The large icon of the file's type; null until a file is found.
    QIcon hIcon() const { return m_hIcon; }

    /// Reads everything again for the current path.
    void Refresh();

    /// "Saturday, December 30, 1899 12:00:00 AM": the user's long date and long time.
    static QString FormatFileDate(const QDateTime &value);
    /// "1,023 bytes", "12.3KB (12,595 bytes)", "0.98MB (1,024,000 bytes)", with
    /// the user's separators.
    static QString FormatFileSize(qint64 size);

    /// The date a new object holds: 30 December 1899, midnight.
    static QDateTime zeroDate();

  private:
    static QString ResolveLongPath(const QString &path);
    static QDateTime FileTimeToDate(const QDateTime &stamp);

    QString m_FullPathName;
    QString m_FileName;
    QString m_FilePath;
    QString m_FileExtension;
    QString m_DisplayName;
    QString m_TypeName;
    QIcon m_hIcon;
    QString m_ShortPathName;
    QString m_ShortName;
    QString m_ShortPath;
    bool m_FileExists = false;
    bool m_PathExists = false;
    qint64 m_FileSize = 0;
    qint64 m_CompressedFileSize = 0;
    quint32 m_Attributes = 0;
    QDateTime m_CreationTime;
    QDateTime m_LastAccessTime;
    QDateTime m_ModifyTime;
};

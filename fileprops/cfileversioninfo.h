#pragma once

#include <QByteArrayView>
#include <QString>

/// The version resource of one file turned into display strings: the numeric
/// versions of the fixed record, its flags, system, type and subtype as words,
/// the language of the first translation and the nine standard strings of that
/// translation's table. Setting the path reads it all; Available() says whether
/// the file has a version resource. A value the resource lacks keeps what it held.
class CFileVersionInfo {
  public:
    /// Makes the path absolute and reads its resource; an empty or overlong
    /// path changes nothing.
    void setFullPathName(const QString &path);
    QString FullPathName() const { return m_FullPathName; }
    bool Available() const { return m_Available; }

    QString FileFlags() const { return m_FileFlags; }
    QString FileOS() const { return m_FileOS; }
    QString FileType() const { return m_FileType; }
    QString FileSubType() const { return m_FileSubType; }
    /// "5.01.26002180": the file version of the fixed record.
    QString VerFile() const { return m_VerFile; }
    QString VerProduct() const { return m_VerProduct; }
    QString VerStructure() const { return m_VerStructure; }

    QString CompanyName() const { return m_CompanyName; }
    QString FileDescription() const { return m_FileDescription; }
    /// The version text of the string table, which may differ from VerFile().
    QString FileVersion() const { return m_FileVersion; }
    QString InternalName() const { return m_InternalName; }
    QString Language() const { return m_Language; }
    QString LegalCopyright() const { return m_LegalCopyright; }
    QString LegalTrademarks() const { return m_LegalTrademarks; }
    QString OriginalFilename() const { return m_OriginalFilename; }
    QString ProductName() const { return m_ProductName; }
    QString ProductVersion() const { return m_ProductVersion; }

    /// Reads the resource of the current path.
    void Refresh();
    /// Reads a version resource already in memory, as Refresh() does with the
    /// file's; empty means the file has none.
    void RefreshFrom(QByteArrayView versionInfo);

  private:
    void readFixedRecord(QByteArrayView versionInfo);
    void readStrings(QByteArrayView versionInfo);

    QString m_FullPathName;
    bool m_Available = false;
    QString m_VerStructure;
    QString m_VerFile;
    QString m_VerProduct;
    QString m_FileFlags;
    QString m_FileOS;
    QString m_FileType;
    QString m_FileSubType;
    QString m_Language;
    QString m_CompanyName;
    QString m_FileDescription;
    QString m_FileVersion;
    QString m_InternalName;
    QString m_LegalCopyright;
    QString m_LegalTrademarks;
    QString m_OriginalFilename;
    QString m_ProductName;
    QString m_ProductVersion;
};

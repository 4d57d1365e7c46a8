#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray &bytes, std::ostream *out) {
    *out << '"' << bytes.toStdString() << '"';
}

/// A scratch folder for one test, removed afterwards.
class TempDir {
  public:
    TempDir();
    QString path() const { return dir_.path(); }
    /// Full path of name inside the folder.
    QString file(const QString &name) const { return dir_.filePath(name); }
    /// Writes bytes to name (folders made as needed) and returns its full path.
    QString write(const QString &name, const QByteArray &bytes) const;
    QString mkdir(const QString &name) const;

  private:
    QTemporaryDir dir_;
};

QByteArray readAll(const QString &path);

/// Runs the event loop until done() holds; false when the time ran out first.
bool waitUntil(const std::function<bool()> &done, int milliseconds = 5000);

/// Makes path the current folder for the test's scope and puts the old one back.
class CurrentFolder {
  public:
    explicit CurrentFolder(const QString &path);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;

  private:
    QString saved_;
};

#pragma once

#include <QByteArrayView>
#include <QString>

namespace platform {

/// A file opened for sequential reading of raw bytes. Closed by its destructor,
/// so every way out of a reader closes it.
class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    /// Opens a regular file; a folder, device or pipe is refused.
    bool open(const QString &path);
    /// Takes an open file descriptor as the file, as open() would take the
    /// file it opens: closed on failure too.
    bool adopt(int fd);
    /// Makes bytes a file of their own in memory (no name on any disk), to
    /// hand to another process as an open file.
    bool adoptBytes(QByteArrayView bytes);
    /// The open file descriptor, or -1; the file still owns it.
    int descriptor() const { return fd_; }
    /// While on, the folder of the last file opened stays open, and a file in
    /// it is opened by its name alone: the system then spares the walk down
    /// the whole path. For readers of a tree, which go folder by folder; off
    /// closes the folder.
    void reuseFolders(bool on);
    /// Bytes read, 0 at the end, -1 on failure (see errorString()). The end
    /// comes once the size the file had when opened is read, or where the
    /// system puts it for a file of no size (the kernel's own files).
    qint64 read(char *buffer, qint64 size);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    /// Moves to offset from the start (an archive's directory at its end):
    /// the new position, -1 on failure.
    qint64 seek(qint64 offset);
    /// The size the file had when opened: no more is read.
    qint64 size() const { return size_; }
    /// True when the first read of the file had to wait for the device: its
    /// start was not in the system's cache.
    bool waitedForDevice() const { return waited_; }
    /// The system's description of the last failure.
    QString errorString() const { return error_; }

  private:
    qint64 readFirst(char *buffer, qint64 size);
    int openFile(const QString &path, int flags);
    void closeFolder();

    int fd_ = -1;
    bool reuseFolders_ = false;
    int folderFd_ = -1;
    QByteArray folder_;   ///< the path of folderFd_
    qint64 size_ = 0;     ///< when opened
    qint64 position_ = 0; ///< bytes read
    bool firstRead_ = false;
    bool waited_ = false;
    QString error_;
};

/// The system's text for an error number.
QString errorText(int errorNumber);

} // namespace platform

#pragma once

#include "platform/pathname.h"

#include <QIODevice>
#include <QString>
#include <memory>
#include <optional>

namespace platform {

/// Where a report is written. A regular file (or a new one) is written under
/// a temporary name in the same folder and takes the target's place only when
/// complete, so a failed run never leaves a cut report or destroys the old
/// one; a terminal, pipe or device is written directly. A link is followed
/// only when it belongs to the writer or to its folder's owner, so a link
/// planted by someone else cannot aim a report at another file. A replaced
/// report keeps its owner where the writer may give it, and its permissions
/// without the set-user, set-group and sticky bits.
class OutputFile {
  public:
    OutputFile();
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    bool open(const QString &path);
    bool openStandardOutput();
    /// The descriptor written to, -1 before open().
    int descriptor() const { return fd_; }
    /// What to write the report to. It keeps large blocks, and a failed
    /// write gives the system's own reason (a full disk says so).
    QIODevice &device();
    /// The regular file being written, for a scan to leave it out.
    std::optional<FileId> identity() const;
    /// Closes the file, checking that everything reached it, and puts it in
    /// the target's place. The temporary file is removed on failure.
    bool commit();
    /// The system's description of the last failure.
    QString errorString() const { return error_; }

  private:
    class Device;
    bool fail(int errorNumber);
    void discard();

    int fd_ = -1;
    bool ownsDescriptor_ = false;
    QByteArray temporary_; ///< empty when the target is written directly
    QByteArray target_;
    QString error_;
    std::unique_ptr<Device> device_;
};

/// Writes every byte to a descriptor, through short writes and interrupted
/// calls; false, with errno set, when the system refuses the rest.
bool writeAll(int fd, QByteArrayView bytes);

} // namespace platform

#pragma once

#include "platform/pathname.h"

#include <QString>
#include <optional>

namespace platform {

/// Where a report is written. A regular file (or a new one) is written under
/// a temporary name in the same folder and takes the target's place only when
/// complete, so a failed run never leaves a cut report or destroys the old
/// one; a terminal, pipe or device is written directly.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    bool open(const QString &path);
    bool openStandardOutput();
    /// The descriptor to write to, -1 before open().
    int descriptor() const { return fd_; }
    /// The regular file being written, for a scan to leave it out.
    std::optional<FileId> identity() const;
    /// Closes the file, checking that everything reached it, and puts it in
    /// the target's place. The temporary file is removed on failure.
    bool commit();
    /// The system's description of the last failure.
    QString errorString() const { return error_; }

  private:
    bool fail(int errorNumber);
    void discard();

    int fd_ = -1;
    bool ownsDescriptor_ = false;
    QByteArray temporary_; ///< empty when the target is written directly
    QByteArray target_;
    QString error_;
};

} // namespace platform

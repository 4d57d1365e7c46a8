#pragma once

#include "documents/embeddedfiles.h"
#include "documents/stoptoken.h"

#include <QByteArrayView>
#include <QString>

#include <utility>
#include <vector>

/// The hidden rich text box a scan loads a document into to get at its text.
/// Setting the file name loads the file; setting it empty clears the box.
/// Only the document's text is kept: no formatted document is built.
namespace platform {
class InputFile;
}

class RichTextBuffer {
  public:
    /// False, with errorString(), when the file cannot be loaded; the box is
    /// then empty. With documentsOnly, a file whose content is no document of
    /// today's formats (a zip package of an office document, a PDF) is not
    /// loaded either: false with an empty errorString(). A load that the
    /// token stops gives false with an empty errorString() too.
    /// A document larger than documentsize.h allows is not read: false, and
    /// errorString() says it is too large.
    bool setFileName(const QString &path, bool documentsOnly = false, StopToken stop = {});
    /// Loads an open file as setFileName() loads path.
    bool load(platform::InputFile &file, const QString &path, bool documentsOnly = false,
              StopToken stop = {});
    /// Loads a document already in memory (a member of an archive) as
    /// setFileName() loads a file; name gives its type. Clear the box with
    /// setFileName(QString()).
    bool setBytes(QByteArrayView bytes, const QString &name, bool documentsOnly = false,
                  StopToken stop = {});
    QString FileName() const { return fileName_; }
    /// The plain content; paragraph and line breaks appear as CR.
    QString Text() const { return text_; }
    QString errorString() const { return error_; }
    /// The files the loaded document carries (attachments, embedded
    /// packages), handed over once.
    std::vector<EmbeddedFile> takeEmbedded() { return std::exchange(embedded_, {}); }

  private:
    bool fitsInMemory(QByteArrayView head, qint64 size, bool documentsOnly);

    QString fileName_;
    QString text_;
    QString error_;
    std::vector<EmbeddedFile> embedded_;
};

#include "controls/richtext/richtextbuffer.h"

#include "documents/documenterrors.h"
#include "documents/documentsize.h"
#include "documents/documenttext.h"
#include "platform/inputfile.h"

#include <QByteArray>

// A document is read whole: one past the bound is not read at all. A file
// named as text that begins as some other zip is no document: it is left to
// the text reader, which takes any size.
bool RichTextBuffer::fitsInMemory(QByteArrayView head, qint64 size, bool documentsOnly) {
    if (size <= MaxDocumentBytes)
        return true;
    if (!documentsOnly || beginsAsDocument(head))
        error_ = documenterrors::tooLarge();
    return false;
}

bool RichTextBuffer::setFileName(const QString &path, bool documentsOnly, StopToken stop) {
    fileName_.clear();
    text_.clear();
    error_.clear();
    embedded_.clear();
    if (path.isEmpty())
        return true;
    platform::InputFile file;
    if (!file.open(path)) {
        error_ = file.errorString();
        return false;
    }
    return load(file, path, documentsOnly, stop);
}

bool RichTextBuffer::load(platform::InputFile &file, const QString &path, bool documentsOnly,
                          StopToken stop) {
    fileName_.clear();
    text_.clear();
    error_.clear();
    QByteArray bytes;
    char block[64 * 1024];
    for (qint64 n; (n = file.read(block, sizeof block)) != 0;) {
        if (n < 0) {
            error_ = file.errorString();
            return false;
        }
        if (stop.stopped())
            return false;
        if (bytes.isEmpty()) {
            if (!fitsInMemory(QByteArrayView(block, n), file.size(), documentsOnly))
                return false;
            bytes.reserve(file.size());
        }
        bytes.append(block, n);
    }
    return setBytes(bytes, path, documentsOnly, stop);
}

bool RichTextBuffer::setBytes(QByteArrayView bytes, const QString &name, bool documentsOnly,
                              StopToken stop) {
    fileName_.clear();
    text_.clear();
    error_.clear();
    embedded_.clear();
    Extraction extraction(bytes, stop);
    const Outcome outcome =
        documentsOnly ? extractDocumentNamedAsText(extraction) : extractDocument(extraction, name);
    if (outcome == Outcome::Encrypted)
        error_ = documenterrors::encrypted();
    if (outcome == Outcome::Damaged && extraction.text.isEmpty())
        error_ = documenterrors::damaged();
    if (!givesText(outcome) || !error_.isEmpty())
        return false;
    text_ = std::move(extraction.text);
    embedded_ = std::move(extraction.embedded);
    fileName_ = name;
    return true;
}

#pragma once

#include "documents/embeddedfiles.h"
#include "platform/workerprocess.h"

#include <QString>

#include <chrono>
#include <functional>

namespace platform {
class InputFile;
}

/// A document read by a worker process: what the hidden box would hold after
/// loading it in this process.
struct DocumentReading {
    bool loaded = false; ///< there is text
    QString error;       ///< why not, when it is a failure
    QString text;
    std::vector<EmbeddedFile> embedded; ///< files the document carries
};

/// Reads documents in a worker process (quarrix-extract), bounded in memory,
/// processor time and wall-clock time and confined to the file it is handed,
/// so that a document that crashes or hangs its reader costs only itself. The
/// memory bound grows by four times a document's size for that document. One
/// per reader thread: started at its first document and reused; killed and
/// started anew after a failure or a stop.
class DocumentWorker {
  public:
    /// How documents are read, from the environment: QUARRIX_DOCUMENT_READERS
    /// ("inprocess" reads them in this process), QUARRIX_DOCUMENT_SECONDS
    /// (deadline and processor time, 10), QUARRIX_DOCUMENT_MEMORY_MB (256),
    /// QUARRIX_EXTRACT (the worker program).
    struct Settings {
        bool inProcess = false;
        QString program;
        platform::WorkerLimits limits;
        std::chrono::milliseconds deadline{10000};
        static const Settings &fromEnvironment();
    };

    explicit DocumentWorker(const Settings &settings = Settings::fromEnvironment());
    /// Loads path as RichTextBuffer::setFileName(path, documentsOnly) would.
    /// keepWaiting is asked every few milliseconds; false kills the worker
    /// and gives no text and no error, as a stopped reading does.
    DocumentReading read(const QString &path, bool documentsOnly,
                         const std::function<bool()> &keepWaiting);
    /// Loads a document held in memory (an archive's member, a carried
    /// file); name gives its type.
    DocumentReading readBytes(QByteArrayView bytes, const QString &name, bool documentsOnly,
                              const std::function<bool()> &keepWaiting);
    /// True when documents are read in this process instead.
    bool inProcess() const { return settings_.inProcess; }
    /// How many worker processes were started (tests).
    int started() const { return started_; }

  private:
    DocumentReading readOpened(platform::InputFile &file, const QString &path, bool documentsOnly,
                               const std::function<bool()> &keepWaiting);
    bool receiveEmbedded(DocumentReading &reading, qint64 size,
                         std::chrono::steady_clock::time_point deadline,
                         const std::function<bool()> &keepWaiting);
    DocumentReading failed(const QString &reason);
    QString endReason();

    Settings settings_;
    platform::WorkerProcess process_;
    int started_ = 0;
    qint64 addressSpace_ = 0; ///< the bound of the document under way
};

/// The exchange between the program and a worker: a request carries the
/// file's descriptor, its path (for its type) and whether only documents
/// count; the answer what was loaded.
namespace documentworker {
QByteArray request(const QString &path, bool documentsOnly);
constexpr qint64 RequestHeaderBytes = 8;
/// The path's length in characters and documentsOnly, from a request's header.
void readRequestHeader(const char *header, qint64 &pathChars, bool &documentsOnly);
/// The answer's header and error; its text follows as textBytes().
QByteArray answerHead(const DocumentReading &reading);
QByteArrayView textBytes(const DocumentReading &reading);
constexpr qint64 AnswerHeaderBytes = 16;
/// The files a document carries, after its text: their length in bytes
/// (8 bytes) and then the files.
QByteArray embeddedBytes(const std::vector<EmbeddedFile> &files);
std::vector<EmbeddedFile> readEmbedded(const QByteArray &bytes);
void readAnswerHeader(const char *header, bool &loaded, qint64 &errorChars, qint64 &textChars);
/// The worker's exit status when memory ran out.
constexpr int OutOfMemoryStatus = 3;
} // namespace documentworker

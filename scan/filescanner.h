#pragma once

#include "documents/stoptoken.h"

#include "scan/documentworker.h"
#include "scan/textfilereader.h"

#include <QString>
#include <QStringList>

class RichTextBuffer;
struct CompiledSearch;

/// Reads one file of a run, a text file or a document, and hands on what
/// matched. A file named as a document is read by a worker process (or, when
/// told to, loaded into the box here) and its text is cut into pieces, each stripped of control
/// characters and tested whole; a file named as text is read as text unless it begins as a document
/// of today's formats does. The run's own reader and each reader of the pool own one and call it
/// alike: only their receivers differ.
class FileScanner {
  public:
    /// Takes the matching lines and pieces of one file, and answers whether
    /// the file goes on.
    class Receiver {
      public:
        virtual ~Receiver() = default;
        /// The search in force: asked before each block of text and each piece.
        virtual const CompiledSearch &search() = 0;
        /// Asked after each matching line: true makes the next line take
        /// search() anew.
        virtual bool searchChanged() { return false; }
        /// A matching line of a text file, numbered from 1, as read; cut
        /// follows a line too long to keep whole. False stops the file.
        virtual bool lineFound(qint64 number, QByteArrayView line, QStringView cut) = 0;
        /// Between blocks of a text file. False stops the file.
        virtual bool blockDone() = 0;
        /// The file was loaded as a document (document false: it was none).
        /// False leaves it there, handled, with no error and no pieces.
        virtual bool documentLoaded(bool document) {
            (void)document;
            return true;
        }
        /// Asked every few milliseconds while a worker reads a document.
        /// False abandons the document: no pieces, no error.
        virtual bool documentWaiting() { return true; }
        /// Before a document's piece, numbered from 0. False drops the rest.
        virtual bool nextPiece(qint64 index) = 0;
        /// A matching piece of a document, stripped of control characters.
        virtual void pieceFound(qint64 index, const QString &piece) = 0;
        /// The pieces that follow are of a file the document carries (an
        /// attachment, an embedded package), named by inner from the
        /// document down; inner empty: of the document itself again.
        virtual void memberStarted(const QStringList &inner) { (void)inner; }
    };

    /// How a file ended.
    struct Outcome {
        bool document = false; ///< it was read as a document
        bool ok = true;        ///< read to its end, or stopped by the receiver
        QString error;         ///< the description of a failure
    };

    /// box takes the documents; it is left empty after each. stop ends a
    /// document's extraction early (its text is then thrown away).
    explicit FileScanner(RichTextBuffer &box, qsizetype blockSize = qsizetype{256} * 1024,
                         StopToken stop = {});

    /// Reads path as a document when named as one, else as text.
    Outcome scan(const QString &path, bool document, Receiver &receiver);
    /// Reads a member of a container streamed as text.
    Outcome scanText(TextFileReader::Source &source, Receiver &receiver);
    /// Reads a member of a container already in memory as a document; name
    /// gives its type. With documentsOnly, bytes that are no document by
    /// their content are left (outcome.document false) for scanText().
    Outcome scanDocument(QByteArrayView bytes, const QString &name, Receiver &receiver,
                         bool documentsOnly = false);
    TextFileReader &textReader() { return reader_; }

  private:
    class TextLines;
    Outcome readDocument(const QString &path, bool documentsOnly, Receiver &receiver);
    Outcome handOnDocument(DocumentReading reading, Receiver &receiver);
    void handOnText(DocumentReading &reading, Receiver &receiver);

    /// Files inside files inside a document read at most.
    static constexpr qsizetype MaxEmbeddedDepth = 8;

    DocumentReading load(const QString &path, bool documentsOnly, Receiver &receiver);
    DocumentReading loadBytes(QByteArrayView bytes, const QString &name, bool documentsOnly,
                              Receiver &receiver);
    std::function<bool()> waiting(Receiver &receiver);
    DocumentReading fromBox(bool loaded);

    RichTextBuffer &box_;
    StopToken stop_;
    DocumentWorker worker_;
    TextFileReader reader_;
    QStringList inner_; ///< the carried file being read, from the document down
};

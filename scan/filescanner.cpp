#include "scan/filescanner.h"

#include "controls/richtext/richtextbuffer.h"
#include "documents/packagetext.h"
#include "scan/compiledsearch.h"
#include "scan/documentpieces.h"
#include "scan/scantexts.h"

/// A text file's reading for the receiver. Its first bytes are handed back
/// when they begin as a document does, until it is told to read them as text.
class FileScanner::TextLines : public TextFileReader::Client {
  public:
    explicit TextLines(Receiver &receiver) : receiver_(receiver) {}
    const LineFinder &finder() override { return receiver_.search().finder; }
    bool lineMatched(qint64 lineNumber, QByteArrayView line) override {
        return receiver_.lineFound(lineNumber, line, {});
    }
    bool longLineMatched(qint64 lineNumber, QByteArrayView head) override {
        return receiver_.lineFound(lineNumber, head, ScanTexts::LineCut);
    }
    bool blockDone() override { return receiver_.blockDone(); }
    bool searchChanged() override { return receiver_.searchChanged(); }
    bool handsBack(QByteArrayView head) override {
        handedBack_ = checking_ && mayBeDocument(head);
        return handedBack_;
    }
    bool handedBack() const { return handedBack_; }
    void readAsText() { checking_ = handedBack_ = false; }

  private:
    Receiver &receiver_;
    bool checking_ = true;
    bool handedBack_ = false;
};

FileScanner::FileScanner(RichTextBuffer &box, qsizetype blockSize, StopToken stop)
    : box_(box), stop_(stop), reader_(blockSize) {}

FileScanner::Outcome FileScanner::scan(const QString &path, bool document, Receiver &receiver) {
    if (document)
        return readDocument(path, false, receiver);
    TextLines lines(receiver);
    Outcome outcome;
    outcome.ok = reader_.scan(path, lines);
    if (lines.handedBack()) {
        outcome = readDocument(path, true, receiver);
        if (outcome.document)
            return outcome;
        lines.readAsText();
        outcome.ok = reader_.scan(path, lines);
    }
    if (!outcome.ok)
        outcome.error = reader_.errorString();
    return outcome;
}

// Documents are read by a worker process unless told to read them here.
DocumentReading FileScanner::load(const QString &path, bool documentsOnly, Receiver &receiver) {
    if (!worker_.inProcess())
        return worker_.read(path, documentsOnly, waiting(receiver));
    return fromBox(box_.setFileName(path, documentsOnly, stop_));
}

DocumentReading FileScanner::loadBytes(QByteArrayView bytes, const QString &name,
                                       bool documentsOnly, Receiver &receiver) {
    if (!worker_.inProcess())
        return worker_.readBytes(bytes, name, documentsOnly, waiting(receiver));
    return fromBox(box_.setBytes(bytes, name, documentsOnly, stop_));
}

std::function<bool()> FileScanner::waiting(Receiver &receiver) {
    return [this, &receiver] { return !stop_.stopped() && receiver.documentWaiting(); };
}

DocumentReading FileScanner::fromBox(bool loaded) {
    DocumentReading reading;
    reading.loaded = loaded;
    reading.error = box_.errorString();
    reading.text = box_.Text();
    reading.embedded = box_.takeEmbedded();
    box_.setFileName(QString());
    return reading;
}

// With documentsOnly, a file whose content is no document is left to the
// text reader. The pieces of a text read whole are all tested unless the
// receiver drops them.
FileScanner::Outcome FileScanner::readDocument(const QString &path, bool documentsOnly,
                                               Receiver &receiver) {
    return handOnDocument(load(path, documentsOnly, receiver), receiver);
}

FileScanner::Outcome FileScanner::scanText(TextFileReader::Source &source, Receiver &receiver) {
    TextLines lines(receiver);
    lines.readAsText();
    Outcome outcome;
    outcome.ok = reader_.scan(source, lines);
    if (!outcome.ok)
        outcome.error = reader_.errorString();
    return outcome;
}

FileScanner::Outcome FileScanner::scanDocument(QByteArrayView bytes, const QString &name,
                                               Receiver &receiver, bool documentsOnly) {
    return handOnDocument(loadBytes(bytes, name, documentsOnly, receiver), receiver);
}

FileScanner::Outcome FileScanner::handOnDocument(DocumentReading reading, Receiver &receiver) {
    Outcome outcome;
    outcome.error = reading.error;
    outcome.document = reading.loaded || !outcome.error.isEmpty();
    outcome.ok = outcome.error.isEmpty();
    if (!receiver.documentLoaded(outcome.document))
        return {true, true, {}};
    if (reading.loaded)
        handOnText(reading, receiver);
    return outcome;
}

// The pieces of the text read, then those of the files the document
// carries, each under its own name.
void FileScanner::handOnText(DocumentReading &reading, Receiver &receiver) {
    const QString text = std::exchange(reading.text, {});
    const std::vector<EmbeddedFile> embedded = std::exchange(reading.embedded, {});
    qint64 index = 0;
    bool goOn = true;
    forEachPiece(text, [&](QStringView piece) {
        if (!(goOn = receiver.nextPiece(index)))
            return false;
        const QString filtered = StripControlChars(piece);
        if (receiver.search().expression.LineMatches(filtered))
            receiver.pieceFound(index, filtered);
        ++index;
        return true;
    });
    if (!goOn || embedded.empty() || inner_.size() >= MaxEmbeddedDepth)
        return;
    for (const EmbeddedFile &file : embedded) {
        if (stop_.stopped())
            break;
        inner_.append(file.name);
        receiver.memberStarted(inner_);
        DocumentReading inner = loadBytes(file.bytes, file.name, false, receiver);
        if (inner.loaded)
            handOnText(inner, receiver);
        inner_.removeLast();
    }
    receiver.memberStarted(inner_);
}

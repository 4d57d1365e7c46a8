#pragma once

#include "documents/embeddedfiles.h"
#include "documents/stoptoken.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

class CompoundFile;
class ZipContainer;

/// How the reading of a document ended. Every extractor ends with one.
enum class Outcome {
    Text,          ///< the whole text
    NotThisFormat, ///< the bytes are not of the extractor's format: no text
    Encrypted,     ///< only its password opens it: no text
    Damaged,       ///< the text that could be read of a damaged document
    Stopped,       ///< the owner stopped the reading: the text is incomplete
    BoundReached,  ///< the text up to a bound (text size, inflated bytes)
};

/// True when the outcome gives a text to search (whole, damaged or bounded).
inline bool givesText(Outcome outcome) {
    return outcome == Outcome::Text || outcome == Outcome::Damaged ||
           outcome == Outcome::BoundReached;
}

/// What a reading may take: generous for real documents, bounded for crafted
/// ones that name one long string again and again or inflate to gigabytes.
struct ExtractionBounds {
    qsizetype maxChars = 0; ///< characters of text at most
    qint64 maxInflated = 0; ///< bytes a package's parts may inflate to together
    /// The bounds for a document of that many bytes.
    static ExtractionBounds forInput(qsizetype inputBytes);
};

/// One reading of a document, as every extractor sees it: the bytes, the stop
/// token and the bounds it is given, the text it writes. The containers the
/// bytes form are opened once, at the first ask, and shared by the
/// recognisers and the extractor that reads them.
class Extraction {
  public:
    explicit Extraction(QByteArrayView bytes, StopToken stop = {});
    Extraction(QByteArrayView bytes, StopToken stop, ExtractionBounds bounds);
    ~Extraction();
    Extraction(const Extraction &) = delete;
    Extraction &operator=(const Extraction &) = delete;

    QByteArrayView bytes() const { return bytes_; }
    StopToken stop() const { return stop_; }
    const ExtractionBounds &bounds() const { return bounds_; }

    /// The bytes as a zip, or null when they are none.
    ZipContainer *zip();
    /// True when the bytes are a zip holding that entry.
    bool zipHolds(const QString &entry);
    /// The bytes as a compound file, or null when they are none or too
    /// damaged to open.
    const CompoundFile *compoundFile();

    /// The text the extractor writes; paragraphs and rows end in CR LF.
    QString text;
    /// Files the document carries (attachments, embedded packages), each
    /// read as a document of its own.
    std::vector<EmbeddedFile> embedded;

  private:
    QByteArrayView bytes_;
    StopToken stop_;
    ExtractionBounds bounds_;
    std::unique_ptr<ZipContainer> zip_;
    std::unique_ptr<CompoundFile> compoundFile_;
    bool zipOpened_ = false;
    bool compoundFileOpened_ = false;
};

/// The signature every format's extractor has.
using Extractor = Outcome (*)(Extraction &);

#include "documents/extraction.h"

#include "documents/compoundfile.h"
#include "documents/textwriter.h"
#include "documents/zipcontainer.h"

ExtractionBounds ExtractionBounds::forInput(qsizetype inputBytes) {
    return {TextWriter::limitFor(inputBytes), ZipContainer::DefaultInflateBudget};
}

Extraction::Extraction(QByteArrayView bytes, StopToken stop)
    : Extraction(bytes, stop, ExtractionBounds::forInput(bytes.size())) {}

Extraction::Extraction(QByteArrayView bytes, StopToken stop, ExtractionBounds bounds)
    : bytes_(bytes), stop_(stop), bounds_(bounds) {}

Extraction::~Extraction() = default;

ZipContainer *Extraction::zip() {
    if (!zipOpened_) {
        zipOpened_ = true;
        auto zip = std::make_unique<ZipContainer>();
        if (ZipContainer::looksLikeZip(bytes_) && zip->open(bytes_, bounds_.maxInflated, stop_))
            zip_ = std::move(zip);
    }
    return zip_.get();
}

bool Extraction::zipHolds(const QString &entry) {
    const ZipContainer *container = zip();
    return container && container->contains(entry);
}

const CompoundFile *Extraction::compoundFile() {
    if (!compoundFileOpened_) {
        compoundFileOpened_ = true;
        auto file = std::make_unique<CompoundFile>();
        if (CompoundFile::isCompoundFile(bytes_) && file->open(bytes_))
            compoundFile_ = std::move(file);
    }
    return compoundFile_.get();
}

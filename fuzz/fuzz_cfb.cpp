// The compound-file reader, then the text of everything in it; the streams
// of its root written again as a compound file of their own read back the
// same, as an embedded object's storage is carried.
#include "documents/compoundfile.h"
#include "documents/compoundwriter.h"
#include "documents/documenttext.h"
#include "documents/objectpool.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

namespace {

void checkRewritten(const CompoundFile &file) {
    std::vector<CompoundStream> streams;
    QSet<QString> names; // a damaged directory may name one stream twice
    for (const quint32 child : file.children(0)) {
        const CompoundFile::Entry &entry = file.entries().at(child);
        if (entry.type == CompoundFile::Type::Stream && !entry.name.isEmpty() &&
            !entry.name.contains(u'/') && !names.contains(entry.name.toUpper())) {
            names.insert(entry.name.toUpper());
            streams.push_back({entry.name, file.stream(child)});
        }
    }
    const QByteArray bytes = writeCompoundFile(streams);
    CompoundFile again;
    if (bytes.isEmpty())
        return; // too large for one file
    if (!again.open(bytes))
        __builtin_trap();
    for (const CompoundStream &stream : streams)
        if (again.stream(again.find(0, stream.name.left(31))) != stream.bytes)
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CompoundFile file;
    if (file.open(bytes)) {
        for (quint32 i = 0; i < quint32(file.entries().size()); ++i) {
            file.children(i);
            file.stream(i);
        }
        checkRewritten(file);
        std::vector<EmbeddedFile> carried;
        collectObjectPool(file, carried);
    }
    documentText(bytes);
    oleObjectFile(bytes);
    return 0;
}

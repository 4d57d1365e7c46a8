// The compound-file reader, then the text of everything in it; its root
// copied into a compound file of its own reads back the same, as an
// embedded object's storage is carried.
#include "documents/compoundfile.h"
#include "documents/compoundwriter.h"
#include "documents/documenttext.h"
#include "documents/objectpool.h"

#include <algorithm>

#include <cstddef>
#include <cstdint>

namespace {

/// The file's root copied into a file of its own opens again, and each
/// stream it kept is the first stream of that name in the original.
void checkRewritten(const CompoundFile &file) {
    const QByteArray bytes = storageFile(file, 0);
    CompoundFile again;
    if (bytes.isEmpty())
        return; // past the bounds of a carried file
    if (!again.open(bytes))
        __builtin_trap();
    const QList<quint32> originals = file.children(0);
    for (const quint32 copied : again.children(0)) {
        const CompoundFile::Entry &entry = again.entries().at(copied);
        if (entry.type != CompoundFile::Type::Stream)
            continue;
        const auto original = std::find_if(originals.begin(), originals.end(), [&](quint32 i) {
            const CompoundFile::Entry &e = file.entries().at(i);
            return e.type == CompoundFile::Type::Stream && e.name.left(31) == entry.name;
        });
        if (original == originals.end() || file.stream(*original) != again.stream(copied))
            __builtin_trap();
    }
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

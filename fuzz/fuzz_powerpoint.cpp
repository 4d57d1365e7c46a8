// PowerPoint text and embedded objects from its streams:
// PowerPoint Document|PART|Current User.
#include "documents/compoundwriter.h"
#include "documents/powerpointtext.h"
#include "fuzz/fuzzparts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto parts = fuzzparts::split(data, size, 2);
    QString text;
    officetext::powerPointStreamsText(parts[0], parts[1], text);

    CompoundWriter writer;
    writer.addStream(0, QStringLiteral("PowerPoint Document"), parts[0].toByteArray());
    writer.addStream(0, QStringLiteral("Current User"), parts[1].toByteArray());
    const QByteArray bytes = writer.write();
    CompoundFile file;
    if (!file.open(bytes))
        __builtin_trap(); // what the writer writes must open
    std::vector<EmbeddedFile> objects;
    officetext::powerPointObjects(file, 0, objects);
    return 0;
}

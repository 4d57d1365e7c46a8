// Word text from its streams: WordDocument|PART|0Table|PART|1Table.
#include "documents/wordtext.h"
#include "fuzz/fuzzparts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto parts = fuzzparts::split(data, size, 3);
    QString text;
    officetext::wordStreamsText(parts[0], parts[1], parts[2], text);
    return 0;
}

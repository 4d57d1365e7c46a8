// PowerPoint text from its streams: PowerPoint Document|PART|Current User.
#include "documents/powerpointtext.h"
#include "fuzz/fuzzparts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto parts = fuzzparts::split(data, size, 2);
    QString text;
    officetext::powerPointStreamsText(parts[0], parts[1], text);
    return 0;
}

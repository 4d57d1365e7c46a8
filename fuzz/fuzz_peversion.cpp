// Feeds arbitrary bytes to the PE version-resource reader, both as a whole
// image and as a version block, and decodes whatever it yields.
#include "fileprops/cfileversioninfo.h"
#include "platform/peversion.h"

#include <cstddef>
#include <cstdint>

namespace {

void decode(QByteArrayView block) {
    for (const char16_t *path : {u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo",
                                 u"\\StringFileInfo\\040904E4\\CompanyName", u"a\\\\b\\"}) {
        if (const auto value = platform::verQueryValue(block, path))
            (void)platform::versionText(*value);
    }
    CFileVersionInfo info;
    info.RefreshFrom(block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray block = platform::peVersionInfo(input);
    if (!block.isEmpty())
        decode(block);
    decode(input);
    return 0;
}

#pragma once

#include "documents/extraction.h"

#include <QByteArray>
#include <QByteArrayView>

namespace msgtext {

/// True when the bytes are a compound file holding an Outlook message (a
/// property stream in its root storage).
bool isMessage(Extraction &extraction);

/// The RTF of a compressed RTF body (LZFu, or stored as it is), at most
/// limit bytes; a damaged body gives what was decompressed before the damage.
QByteArray decompressRtf(QByteArrayView body, qsizetype limit);

} // namespace msgtext

/// The extractor of Outlook messages (.msg): what a reader of the message
/// sees, as for a mail: From, To, Cc, Subject and Date, then the body (plain
/// text, else the HTML body's text, else the compressed RTF body's), the
/// names of attachments and attached messages in full. Attached files are
/// carried files. Lines end in CR LF.
Outcome extractMessage(Extraction &extraction);

#pragma once

#include "documents/extraction.h"

#include <QByteArrayView>
#include <QString>

namespace mailtext {

/// True when the bytes begin with mail header fields (From, Subject ...).
bool isMail(QByteArrayView bytes);

} // namespace mailtext

/// The extractor of mail messages: the text a reader of the message sees, its
/// headers with encoded words decoded, text bodies in their charsets, HTML
/// bodies as text, the names of attachments and the content of text
/// attachments. Lines end in CR LF. A message that cannot be parsed gives the
/// fields of its header block that a reader sees, and is damaged.
Outcome extractMail(Extraction &extraction);

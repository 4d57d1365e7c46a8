#pragma once

#include <QByteArrayView>
#include <QString>

namespace mailtext {

/// True when the bytes begin with mail header fields (From, Subject ...).
bool isMail(QByteArrayView bytes);

/// The text a reader of the message sees: its headers with encoded words
/// decoded, text bodies in their charsets, HTML bodies as text, the names of
/// attachments and the content of text attachments. Lines end in CR LF.
QString mailText(QByteArrayView bytes);

} // namespace mailtext

#pragma once

#include <QByteArrayView>
#include <QString>

/// The text a user sees in a document of one of the rich-text types, chosen by
/// content, not by name: RTF, Office compound files (Word, Excel, PowerPoint
/// and others) and mail; anything else comes back as its bytes decoded as a
/// text file is. Paragraphs and rows end in CR LF.
///
/// A document that cannot be read at all (an encrypted one) gives no text and
/// sets error, when given, to the description the status line shows (see
/// documenterrors.h); otherwise error is cleared.
QString documentText(QByteArrayView bytes, QString *error = nullptr);

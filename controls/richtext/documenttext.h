#pragma once

#include <QByteArrayView>
#include <QString>

/// The text a user sees in a document of one of the rich-text types, chosen by
/// content, not by name: RTF, Office compound files (Word, Excel, PowerPoint
/// and others) and mail; anything else comes back as its bytes, one character
/// per byte. Paragraphs and rows end in CR LF.
QString documentText(QByteArrayView bytes);

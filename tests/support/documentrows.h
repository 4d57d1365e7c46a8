#pragma once

#include "documents/documenttext.h"
#include "scan/documentpieces.h"

#include <QStringList>
#include <QStringTokenizer>
#include <gtest/gtest.h>

/// The rows a scan would show of a document the test builds: its pieces,
/// stripped as the scan strips them, without the empty ones. The document
/// must read whole.
inline QStringList documentRows(const QByteArray &bytes) {
    Extraction extraction(bytes);
    EXPECT_EQ(extractDocument(extraction), Outcome::Text);
    QStringList out;
    for (const QStringView piece : QStringTokenizer(extraction.text, u"\r\n"))
        if (!piece.isEmpty())
            out << StripControlChars(piece);
    return out;
}

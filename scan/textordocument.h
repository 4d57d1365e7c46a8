#pragma once

#include "scan/textfilereader.h"

#include <functional>

/// How a file of the list was read when its name is not a document's.
struct TextOrDocument {
    bool document = false; ///< its content was a document, read as one
    bool ok = true;        ///< read as text to its end, or stopped by the client
};

/// How such a file is read, in one place for the run's own reader and the
/// readers ahead of it: as text, unless it begins as a document of today's
/// formats does. Then readDocument is asked to read it and answers whether
/// it was a document; a file that was none after all is read as text.
TextOrDocument scanTextOrDocument(TextFileReader &reader, const QString &path,
                                  TextFileReader::Client &client,
                                  const std::function<bool()> &readDocument);

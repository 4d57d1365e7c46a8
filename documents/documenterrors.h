#pragma once

#include <QString>

/// Why a document gives no text, as the status line says it after "Error: ".
namespace documenterrors {

/// A document that only its password opens: its text is not in the file.
inline QString encrypted() {
    return QStringLiteral("The document is encrypted");
}

/// A document too damaged to give any text.
inline QString damaged() {
    return QStringLiteral("The document is damaged");
}

/// A document past the size a reader takes into memory (documentsize.h).
inline QString tooLarge() {
    return QStringLiteral("The document is too large");
}

} // namespace documenterrors

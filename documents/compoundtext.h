#pragma once

#include "documents/compoundfile.h"

#include <QString>

/// The text of the office documents kept in compound files (Word, Excel and
/// PowerPoint 97-2003 and others).
namespace officetext {

/// Runs of readable 8-bit and UTF-16LE text of at least four characters,
/// one per line, of a compound file too damaged to open; its header and
/// directory entries are left out.
QString streamText(QByteArrayView bytes);

/// The text of every document of a compound file: the known documents by
/// their extractors, storages recursed into, and of other streams those that
/// hold text. Encrypted documents give nothing; encrypted, when given, says
/// whether the file's own document is one.
QString compoundText(const CompoundFile &file, bool *encrypted = nullptr);

} // namespace officetext

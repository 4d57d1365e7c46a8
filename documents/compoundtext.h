#pragma once

#include "documents/compoundfile.h"
#include "documents/extraction.h"

#include <QString>

/// The text of the office documents kept in compound files (Word, Excel and
/// PowerPoint 97-2003 and others).
namespace officetext {

/// Runs of readable 8-bit and UTF-16LE text of at least four characters,
/// one per line, of a compound file too damaged to open; its header and
/// directory entries are left out.
QString streamText(QByteArrayView bytes);

/// The text of every document of a compound file: the known documents by
/// their readers, storages recursed into, and of other streams those that
/// hold text. Encrypted documents give nothing: Encrypted when the file's own
/// document is one.
Outcome compoundText(const CompoundFile &file, QString &text, StopToken stop = {});

} // namespace officetext

/// The extractor of compound files (Word, Excel and PowerPoint 97-2003,
/// Project, Binder and others): a file too damaged to open gives the runs of
/// text in its bytes.
Outcome extractCompoundFile(Extraction &extraction);

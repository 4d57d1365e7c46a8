#pragma once

#include <QString>
#include <QStringView>

/// The text a reader of an HTML body sees: tags gone, script, style and head
/// content hidden, line breaks where paragraphs, rows, cells and list items
/// end, character references (named and numeric) decoded. One pass over the
/// input: malformed or unclosed markup costs no more than plain text.
QString htmlText(QStringView html);

/// The character a named reference such as "ouml" or "nbsp" stands for, or 0.
char32_t htmlEntity(QStringView name);

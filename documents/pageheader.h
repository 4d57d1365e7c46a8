#pragma once

#include <QString>
#include <QStringView>

/// The text a spreadsheet's page header or footer shows, from the codes it
/// is kept in ("&LLeft&CPage &P&RRight"): the left, centre and right parts
/// parted by a space, white space simplified; fonts, sizes, colours, pictures and fields (page
/// number, date, file name) left out; "&&" is an ampersand.
QString sheetHeaderText(QStringView codes);

#pragma once

#include "documents/xmlreader.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class ListNumbers;
class TextLines;
class ZipContainer;

/// What the Word, Excel and PowerPoint readers of Office Open XML packages share.
namespace packagetext {

/// No real package has more; a crafted one stops here.
constexpr int MaxRelationships = 100000;

struct Relationship {
    QString id;
    QString type; ///< the last segment of the type's URI: "officeDocument", "header" ...
    QString target;
};

/// The relationships of a part (the package's own for an empty name).
std::vector<Relationship> relationships(ZipContainer &zip, const QString &part);
/// The targets of one type, in the order of their names (header1, header2 ...).
QStringList targets(const std::vector<Relationship> &rels, QStringView type);
QHash<QString, QString> targetsById(const std::vector<Relationship> &rels);
QString contentTypeOf(ZipContainer &zip, const QString &part);
/// How a part's markup is read.
struct MarkupOptions {
    /// With numbers, each list paragraph begins with its number or bullet.
    ListNumbers *numbers = nullptr;
    /// Without placeholders, shapes that hold a slide's own text (on a
    /// master or layout, their prompt texts) are left out.
    bool placeholders = true;
};

/// The text of a part in WordprocessingML or DrawingML.
void markupText(ZipContainer &zip, const QString &part, TextLines &lines,
                MarkupOptions options = {});

/// The text of a chart: its titles, axis titles, series names and category
/// labels (the numbers are the sheet's, not text).
void chartText(ZipContainer &zip, const QString &part, TextLines &lines);
/// The text of the charts and SmartArt diagrams a part names.
void drawingsOf(ZipContainer &zip, const std::vector<Relationship> &rels, TextLines &lines);

/// The text of a workbook: sheet names, then each sheet's rows and notes.
void excelText(ZipContainer &zip, const QString &main, TextLines &lines);

} // namespace packagetext

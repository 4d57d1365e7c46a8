#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSet>
#include <QString>
#include <optional>

class QPrinter;

/// A printer component of its own: starts and ends jobs and pages on the
/// printer it is handed, keeps a drawing position, and draws lines, text in
/// its Font and pictures. Positions and sizes are printer pixels. A failing
/// member shows its failure once, in a box titled with its name, and gives up.
class CAPIPrinter {
  public:
    CAPIPrinter();
    ~CAPIPrinter();
    CAPIPrinter(const CAPIPrinter &) = delete;
    CAPIPrinter &operator=(const CAPIPrinter &) = delete;

    qint32 CurrentX() const;
    void setCurrentX(qint32 lngValue);
    qint32 CurrentY() const;
    void setCurrentY(qint32 lngValue);
    QFont &Font() { return font_; }
    /// The printer drawn on; null when none. A job's end forgets it.
    QPrinter *hDC() const { return device_; }
    void setHDC(QPrinter *lngValue);
    qint32 Height();
    qint32 Width();
    qint32 PrintJobID() const { return jobId_; }

    /// Draws a line; the position ends at its end point.
    void DrawLine(qint32 lngXStart, qint32 lngYStart, qint32 lngXEnd, qint32 lngYEnd);
    /// Draws the picture at the position; a missing size is the picture's own
    /// size on the screen, at the same physical size. Returns the size drawn.
    QSize DrawPicture(const QImage &picPicture, std::optional<qint32> lngWidth = {},
                      std::optional<qint32> lngHeight = {});
    /// Draws text at the position in Font; the position moves past it.
    void DrawText(const QString &strText);
    bool EndDoc();
    bool EndPage();
    qint32 ScaleX(qint32 lngX);
    qint32 ScaleY(qint32 lngY);
    bool StartDoc(const QString &strDocName);
    bool StartPage();
    /// Extents in the printer's own font, not Font.
    qint32 TextHeight(const QString &strText);
    qint32 TextWidth(const QString &strText);
    /// A font size in points as a character height in printer pixels (negative).
    qint16 PointsToHeight(qint16 points);

    /// The font DrawText selects: Font with its size in printer pixels and
    /// weight 700 when bold.
    QFont drawingFont();

  private:
    bool fail(const char *member, int number, const QString &description);
    bool hasPrinter(const char *member);
    bool ready(const char *member);
    qint32 scaled(qint32 value, int printerDpi);

    QFont font_;
    QPrinter *device_ = nullptr;
    QPainter painter_;
    qint32 jobId_ = 0;
    QPoint position_;
    int pagesEnded_ = 0;
    QSet<QString> reported_;
};

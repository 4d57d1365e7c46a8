#pragma once

#include "documents/extraction.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

/// Character formatting in effect at a point of an RTF document.
struct RtfCharFormat {
    int font = -1;       ///< index into the font table, -1 for the default
    int halfPoints = 24; ///< size in half points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;      ///< index into the colour table, 0 for automatic
    bool aside = false; ///< header, footer or footnote text, outside the body
};

struct RtfFont {
    int number = 0;
    QString name;
    int codePage = 0; ///< 0: the document's code page
};

struct RtfColor {
    bool automatic = true;
    int red = 0, green = 0, blue = 0;
};

/// Font and colour tables of a document, filled as the reader meets them.
struct RtfTables {
    QList<RtfFont> fonts;   ///< in table order
    QList<RtfColor> colors; ///< index 0 is automatic
    const RtfFont *font(int number) const;
    RtfColor color(int index) const;
};

/// Receives the content of an RTF document in reading order.
class RtfSink {
  public:
    virtual ~RtfSink() = default;
    virtual void text(QStringView text, const RtfCharFormat &format) = 0;
    virtual void paragraph(const RtfCharFormat &format) = 0;
    virtual void lineBreak(const RtfCharFormat &format) = 0;
    virtual void tab(const RtfCharFormat &format) = 0;
    virtual void cellEnd(const RtfCharFormat &format) = 0;
    /// The data of an embedded object (an OLE object header and its native data).
    virtual void object(const QByteArray &data) { Q_UNUSED(data); }
};

/// True when the bytes begin as an RTF document does.
bool isRtf(QByteArrayView bytes);

/// Reads an RTF document once, handing text and formatting to the sink.
/// Malformed or truncated input ends the reading with what was read so far;
/// nesting and skipped binary data are bounded, so no input can hang it. A
/// stopped reading ends within a stretch of input.
void readRtf(QByteArrayView bytes, RtfSink &sink, RtfTables *tables = nullptr, StopToken stop = {});

/// The plain text of an RTF document for scanning: paragraphs end in CR LF,
/// header, footer and footnote text is included, table cells are separated by
/// a space.
QString rtfPlainText(QByteArrayView bytes, StopToken stop = {});

/// The extractor of RTF documents: their plain text.
Outcome extractRtf(Extraction &extraction);

#include "controls/richtext/rtfdocument.h"

#include "documents/rtfreader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

class DocumentSink : public RtfSink {
  public:
    DocumentSink(QTextDocument &document, const RtfTables &tables)
        : cursor_(&document), tables_(tables) {}

    void text(QStringView text, const RtfCharFormat &format) override {
        if (!format.aside)
            cursor_.insertText(text.toString(), charFormat(format));
    }
    void paragraph(const RtfCharFormat &format) override {
        if (!format.aside)
            cursor_.insertBlock();
    }
    void lineBreak(const RtfCharFormat &format) override {
        text(QString(QChar::LineSeparator), format);
    }
    void tab(const RtfCharFormat &format) override { text(u"\t", format); }
    void cellEnd(const RtfCharFormat &format) override { text(u"\t", format); }

  private:
    QTextCharFormat charFormat(const RtfCharFormat &format) const {
        QTextCharFormat f;
        if (const RtfFont *font = tables_.font(format.font); font && !font->name.isEmpty())
            f.setFontFamilies({font->name});
        f.setFontPointSize(format.halfPoints / 2.0);
        f.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(format.italic);
        f.setFontUnderline(format.underline);
        f.setFontStrikeOut(format.strike);
        if (const RtfColor color = tables_.color(format.color); !color.automatic)
            f.setForeground(QColor(color.red, color.green, color.blue));
        return f;
    }

    QTextCursor cursor_;
    const RtfTables &tables_;
};

/// Collects the fonts and colours a document uses, in first-use order.
class Tables {
  public:
    int font(const QString &family) { return indexOf(fonts_, family); }
    int color(const QColor &color) { return indexOf(colors_, color.rgb()) + 1; }

    QByteArray rtf() const {
        QByteArray out = "{\\fonttbl";
        for (qsizetype i = 0; i < fonts_.size(); ++i)
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 " + escape(fonts_[i]) + ";}";
        out += "}\n{\\colortbl;";
        for (const QRgb rgb : colors_)
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                   QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) +
                   ';';
        return out + "}\n";
    }

    static QByteArray escape(QStringView text) {
        QByteArray out;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == '\\' || u == '{' || u == '}')
                out += '\\' + QByteArray(1, char(u));
            else if (u == '\t')
                out += "\\tab ";
            else if (u == QChar::LineSeparator)
                out += "\\line ";
            else if (u == 0xA0)
                out += "\\~";
            else if (u >= 32 && u < 128)
                out += char(u);
            else if (u >= 128 && u != QChar::ObjectReplacementCharacter)
                out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
        return out;
    }

  private:
    template <typename T> static int indexOf(QList<T> &list, const T &value) {
        qsizetype i = list.indexOf(value);
        if (i < 0) {
            list.append(value);
            i = list.size() - 1;
        }
        return int(i);
    }

    QStringList fonts_;
    QList<QRgb> colors_;
};

QByteArray fragmentRtf(const QTextFragment &fragment, const QFont &base, Tables &tables) {
    const QTextCharFormat f = fragment.charFormat();
    const QStringList families = f.fontFamilies().toStringList();
    const QString family = families.isEmpty() ? base.family() : families.first();
    const double points = f.fontPointSize() > 0 ? f.fontPointSize() : base.pointSizeF();
    QByteArray out = "{\\f" + QByteArray::number(tables.font(family)) + "\\fs" +
                     QByteArray::number(qMax(1, qRound(points * 2)));
    if (f.fontWeight() >= QFont::DemiBold)
        out += "\\b";
    if (f.fontItalic())
        out += "\\i";
    if (f.fontUnderline())
        out += "\\ul";
    if (f.fontStrikeOut())
        out += "\\strike";
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        out += "\\cf" + QByteArray::number(tables.color(f.foreground().color()));
    return out + ' ' + Tables::escape(fragment.text()) + '}';
}

} // namespace

void rtfToDocument(QByteArrayView rtf, QTextDocument &document) {
    document.clear();
    RtfTables tables;
    DocumentSink sink(document, tables);
    readRtf(rtf, sink, &tables);
}

QByteArray documentToRtf(const QTextDocument &document) {
    Tables tables;
    QByteArray body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            body += "\\par\n";
        body += "\\pard\\plain ";
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().isValid())
                body += fragmentRtf(it.fragment(), document.defaultFont(), tables);
    }
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n" + tables.rtf() + body + "}\n";
}

#include "editor/editedfile.h"

#include "controls/richtext/richtextbox.h"
#include "controls/richtext/rtfdocument.h"
#include "documents/rtfreader.h"
#include "platform/codepage.h"
#include "platform/inputfile.h"

#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace EditedFile {
namespace {

using Encoding = EditedFileKind::Encoding;

/// A line whose end differs from the first line's keeps it in this property.
constexpr int OwnLineEnd = QTextFormat::UserProperty + 1;

const QHash<QChar, char> &windows1252Bytes() {
    static const QHash<QChar, char> table = [] {
        QHash<QChar, char> bytes;
        for (int b = 255; b >= 0; --b)
            bytes.insert(QChar(platform::windows1252Char(uchar(b))), char(b));
        return bytes;
    }();
    return table;
}

bool toWindows1252(const QString &text, QByteArray &bytes) {
    const QHash<QChar, char> &table = windows1252Bytes();
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const auto found = table.constFind(c);
        if (found == table.constEnd())
            return false;
        bytes += *found;
    }
    return true;
}

QString decode(const QByteArray &bytes, EditedFileKind &kind) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        kind.encoding = little ? Encoding::Utf16Le : Encoding::Utf16Be;
        QStringDecoder utf16(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return utf16(QByteArrayView(bytes).sliced(2));
    }
    kind.encoding = platform::isValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Windows1252;
    return platform::decodeText(bytes);
}

/// The line end starting at text[at], or empty; the document itself breaks
/// paragraphs at U+2029, so that counts as a line end of its own.
QStringView lineEndAt(const QString &text, qsizetype at) {
    const QChar c = text[at];
    if (c == u'\r')
        return QStringView(text).sliced(at, at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1);
    if (c == u'\n' || c == QChar::ParagraphSeparator)
        return QStringView(text).sliced(at, 1);
    return {};
}

void loadPlain(const QString &text, RichTextBox &box, EditedFileKind &kind) {
    QString lines;
    lines.reserve(text.size());
    QList<std::pair<int, QString>> ownEnds;
    bool first = true;
    int line = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QStringView end = lineEndAt(text, at);
        if (end.isEmpty()) {
            lines += text[at];
            continue;
        }
        if (first)
            kind.lineEnd = end.toString();
        else if (end != kind.lineEnd)
            ownEnds.append({line, end.toString()});
        first = false;
        lines += u'\n';
        at += end.size() - 1;
        ++line;
    }
    box.setPlainText(lines);
    QTextDocument &document = *box.document();
    for (const auto &[number, end] : ownEnds) {
        QTextCursor cursor(document.findBlockByNumber(number));
        QTextBlockFormat format = cursor.blockFormat();
        format.setProperty(OwnLineEnd, end);
        cursor.setBlockFormat(format);
    }
}

QString plainText(const QTextDocument &document, const QString &lineEnd) {
    QString text;
    text.reserve(document.characterCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        text += block.text();
        if (!block.next().isValid())
            break;
        const QVariant own = block.blockFormat().property(OwnLineEnd);
        text += own.isValid() ? own.toString() : lineEnd;
    }
    return text;
}

/// Whether the RTF document holds text the box leaves out.
class DroppedParts : public RtfSink {
  public:
    void text(QStringView, const RtfCharFormat &format) override { found |= format.aside; }
    void paragraph(const RtfCharFormat &format) override { found |= format.aside; }
    void lineBreak(const RtfCharFormat &) override {}
    void tab(const RtfCharFormat &) override {}
    void cellEnd(const RtfCharFormat &) override { found = true; }
    bool found = false;
};

} // namespace

bool read(const QString &path, QByteArray &bytes, QString &error) {
    platform::InputFile file;
    if (!file.open(path)) {
        error = file.errorString();
        return false;
    }
    bytes.clear();
    constexpr qint64 Block = 1 << 20;
    for (;;) {
        const qsizetype size = bytes.size();
        bytes.resize(size + Block);
        const qint64 got = file.read(bytes.data() + size, Block);
        if (got < 0) {
            error = file.errorString();
            return false;
        }
        bytes.resize(size + got);
        if (got == 0)
            return true;
    }
}

EditedFileKind load(const QByteArray &bytes, RichTextBox &box) {
    EditedFileKind kind;
    QTextDocument &document = *box.document();
    document.setUndoRedoEnabled(false);
    kind.rtf = isRtf(bytes);
    if (kind.rtf) {
        rtfToDocument(bytes, document);
        DroppedParts dropped;
        readRtf(bytes, dropped);
        kind.rtfDropsParts = dropped.found;
    } else {
        loadPlain(decode(bytes, kind), box, kind);
    }
    document.setUndoRedoEnabled(true);
    return kind;
}

QByteArray contentBytes(const RichTextBox &box, const EditedFileKind &kind) {
    if (kind.rtf)
        return documentToRtf(*box.document());
    const QString text = plainText(*box.document(), kind.lineEnd);
    QByteArray bytes;
    switch (kind.encoding) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const bool little = kind.encoding == Encoding::Utf16Le;
        QStringEncoder utf16(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        bytes = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        bytes += QByteArray(utf16(text));
        return bytes;
    }
    case Encoding::Windows1252:
        // A character the code page lacks is kept by writing UTF-8 instead.
        if (toWindows1252(text, bytes))
            return bytes;
        break;
    case Encoding::Utf8:
        break;
    }
    return text.toUtf8();
}

bool save(const RichTextBox &box, const QString &path, const EditedFileKind &kind,
          platform::SaveWay &way, QString &error) {
    return platform::replaceFileContent(path, contentBytes(box, kind), way, error);
}

} // namespace EditedFile

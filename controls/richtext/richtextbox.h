#pragma once

#include "controls/richtext/markoverlay.h"

#include <QPlainTextEdit>

/// The rich text box of the editor: a text view with character formatting
/// and the operations the editor and its printing use. Positions are 0-based
/// character positions of the document, in which a paragraph break counts as
/// one character. Paragraphs are laid out as they come into view, so a file
/// of many megabytes opens and edits at once.
class RichTextBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    /// Options of Find.
    enum FindOption { WholeWord = 2, MatchCase = 4, NoHighlight = 8 };

    explicit RichTextBox(QWidget *parent = nullptr);

    /// Setting a path loads that file (as LoadFile); an empty path clears the box.
    bool setFileName(const QString &path);
    QString FileName() const { return fileName_; }
    /// Names the file shown without loading it (its content came another way).
    void setShownFileName(const QString &path) { fileName_ = path; }
    /// RTF content is read as rich text, anything else as plain text.
    bool LoadFile(const QString &path);
    /// Writes the whole content as RTF, replacing the file.
    bool SaveFile(const QString &path);
    /// The failure of the last LoadFile or SaveFile.
    QString errorString() const { return error_; }

    /// The plain content; each paragraph or line break is CR LF.
    QString Text() const;
    void setText(const QString &text);
    QString TextRTF() const;
    /// Replaces the content; text that is not RTF comes in as plain text.
    void setTextRTF(const QString &rtf);

    int SelStart() const;
    /// Moves the caret there; the selection becomes empty.
    void setSelStart(int position);
    int SelLength() const;
    /// Selects that many characters from SelStart.
    void setSelLength(int length);
    QString SelText() const;
    void setSelText(const QString &text);
    /// A COLORREF (0x00BBGGRR: 255 is red), of the selection's first character.
    quint32 SelColor() const;
    void setSelColor(quint32 colorRef);

    /// Position of the next occurrence at or after start, or -1. Without
    /// MatchCase letter case is ignored; without NoHighlight the occurrence
    /// is selected.
    int Find(const QString &text, int start = 0, int options = 0);
    void SetFocus() { setFocus(); }

    /// The number of character positions of the content (for printing).
    int GetTextLength() const;
    /// Lays out the characters first..last (one past) in the width of area on
    /// the painter's device, draws the lines that fit in its height when draw
    /// is true, and returns the position of the first character that did not
    /// fit, or last. At least one line is taken, so repeated calls progress.
    int FormatRange(QPainter *painter, const QRectF &area, int first, int last, bool draw);

    /// Colouring drawn over the text, on screen and on paper, never in the content.
    MarkOverlay &marks() { return *marks_; }

  Q_SIGNALS:
    /// After every change of the content, by typing or by the program.
    void Change();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    int clampPosition(int position) const;
    void markDocument(QTextDocument &document) const;

    MarkOverlay *marks_;
    QString fileName_;
    QString error_;
};

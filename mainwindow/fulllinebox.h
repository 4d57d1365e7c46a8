#pragma once

#include <QDialog>

class QPlainTextEdit;

/// The full-line display: an information box whose text wraps anywhere, so a
/// long line without spaces is shown whole instead of running off the screen.
/// The text stays exactly as given; only its display is wrapped.
class FullLineBox : public QDialog {
    Q_OBJECT
  public:
    FullLineBox(const QString &title, const QString &text, QWidget *parent = nullptr);

    QString text() const { return text_; }
    /// The box that shows the text (read-only, selectable).
    QPlainTextEdit *textView() const { return view_; }

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    void fitToText();

    QString text_;
    QPlainTextEdit *view_;
};

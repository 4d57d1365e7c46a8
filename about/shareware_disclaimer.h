#pragma once

#include <QDialog>
#include <QRect>
#include <optional>

class QPlainTextEdit;
class QPushButton;

/// The disclaimer window's own words.
namespace DisclaimerTexts {
inline const QString Caption = QStringLiteral("QL Shareware Disclaimer");
inline const QString AcceptCaption = QStringLiteral("&Accept");
inline const QString AcceptTip = QStringLiteral("I understand this agreement.");
/// "Disclaimer:", an empty line and the paragraph, lines ended by CR LF.
QString text();
} // namespace DisclaimerTexts

/// Where the text box and the button go for a client area, in twips.
namespace DisclaimerLayout {
inline constexpr int TwipsPerPixel = 15;
/// The design size of the client area and of the button.
inline constexpr QSize ClientSize{4680, 3930};
inline constexpr QSize ButtonSize{1200, 375};
/// 100 twips from the left, top and right, 900 below for the button row;
/// none when the client area is too small for that.
std::optional<QRect> textBox(const QSize &client);
/// Centred, its top 800 twips above the bottom.
QRect button(const QSize &client, const QSize &button = ButtonSize);
} // namespace DisclaimerLayout

/// The warranty disclaimer: a read-only, scrolling text and "&Accept".
class shareware_disclaimer : public QDialog {
    Q_OBJECT
  public:
    explicit shareware_disclaimer(QWidget *owner = nullptr);

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    void Form_Load();
    void Form_Resize();
    void OK_Click();

    QPlainTextEdit *DisclaimerText = nullptr;
    QPushButton *OK = nullptr;
};

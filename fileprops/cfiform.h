#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The modal "Complete File Information" window: names, folder, type, sizes,
/// short names, time stamps, attributes, icon and version texts of the file
/// named by FileInfoShared::FileInfoPath, read once when the window is made.
class CFIForm : public QDialog {
    Q_OBJECT
  public:
    explicit CFIForm(QWidget *parent = nullptr);

    /// The attribute check boxes, index 0 to 5: read-only, archive, compressed,
    /// hidden, system, temporary. Each is named "chkAttr".
    QCheckBox *chkAttr(int index) const { return m_chkAttr.at(index); }

  private:
    void OK_Click();
    void buildControls();
    void fitCaptions(QWidget *frame);
    QLineEdit *addField(QWidget *frame, int row, const QString &name, const QString &label);
    void Form_Load();
    void drawIcon(const QIcon &icon);

    QLineEdit *txtFileName = nullptr;
    QLineEdit *txtLocation = nullptr;
    QLineEdit *txtCompSize = nullptr;
    QLineEdit *txtFileVer = nullptr;
    QLineEdit *txtDescription = nullptr;
    QLineEdit *txtCopyright = nullptr;
    QLineEdit *txtType = nullptr;
    QLineEdit *txtSize = nullptr;
    QLineEdit *txtDosPath = nullptr;
    QLineEdit *txtDosName = nullptr;
    QLineEdit *txtCreated = nullptr;
    QLineEdit *txtModified = nullptr;
    QLineEdit *txtAccessed = nullptr;
    std::array<QCheckBox *, 6> m_chkAttr{};
    QLabel *picIcon = nullptr;
    QPushButton *OK = nullptr;
};

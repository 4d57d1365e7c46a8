#pragma once

#include "scan/scaninterfaces.h"

#include <QComboBox>

/// The search box with the past searches. A run reads its text live: every
/// edit bumps the revision, so the run parses the text again from its next line.
class SearchBox : public QComboBox, public SearchTextSource {
    Q_OBJECT
  public:
    explicit SearchBox(QWidget *parent = nullptr);

    QString searchText() const override { return currentText(); }
    quint64 revision() const override { return revision_; }

    /// Puts text at the top of the past searches unless an item equals it
    /// exactly; an equal item stays where it is and is selected.
    void addToHistory(const QString &text);

  Q_SIGNALS:
    /// Enter while past searches were offered: the offer closes and the text
    /// shown is to be scanned, as Enter does without an offer.
    void entered();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    quint64 revision_ = 0;
};

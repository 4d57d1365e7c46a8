#pragma once

#include <QComboBox>

/// The search box with the past searches. Its text is the query's search
/// text; an edit during a run reaches the run as a new revision of its query.
class SearchBox : public QComboBox {
    Q_OBJECT
  public:
    explicit SearchBox(QWidget *parent = nullptr);

    /// Puts text at the top of the past searches unless an item equals it
    /// exactly; an equal item stays where it is and is selected.
    void addToHistory(const QString &text);

  Q_SIGNALS:
    /// Enter while past searches were offered: the offer closes and the text
    /// shown is to be scanned, as Enter does without an offer.
    void entered();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

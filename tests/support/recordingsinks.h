#pragma once

#include "scan/scaninterfaces.h"
#include "support/tempdir.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

/// Keeps what a run reports, for tests to look at.
class RecordingSinks : public MatchSink, public StatusSink, public RunHooks {
  public:
    bool AddMatch(const MatchRecord &row) override {
        rows.push_back(row);
        return rows.size() < acceptRows;
    }
    void clearMatches() override { rows.clear(); }
    void SBar(const QString &text) override { status << text; }
    void fileError(const QString &text) override {
        errors << text;
        SBar(text);
    }
    void showMatchCount(qint64 count) override { shownCount = count; }
    void showMessage(const QString &text) override { messages << text; }
    bool yield() override {
        ++yields;
        if (onYield)
            onYield();
        return goOn;
    }
    void phaseChanged(Phase phase) override { phases.push_back(phase); }
    void fileProgress(qint64 done, qint64 total) override { progress.emplace_back(done, total); }

    std::vector<MatchRecord> rows;
    QStringList status, errors, messages;
    std::vector<Phase> phases;
    std::vector<std::pair<qint64, qint64>> progress; ///< done, total before each file
    qint64 shownCount = -1;
    int yields = 0;
    /// AddMatch answers false once this many rows are kept (a failing report).
    size_t acceptRows = SIZE_MAX;
    std::function<void()> onYield;
    /// What yield() answers after onYield: false stops the run.
    bool goOn = true;
};

/// The rows the rich-text reader records for one document; no error expected.
std::vector<MatchRecord> scanDocument(const QString &path, const QString &search);

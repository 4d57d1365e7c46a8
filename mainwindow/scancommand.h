#pragma once

#include "scan/scaninterfaces.h"

class FileSelection;
class QWidget;
class ReadFailures;
class RunPacer;
struct FormControls;
struct RunBatch;

/// The Scan button as the window drives a run: Scan and Cancel on one button,
/// the controls locked and freed around a run, and the pacer's batches shown
/// on the results list, the match count and the status bar.
class ScanCommand {
  public:
    ScanCommand(QWidget &window, FormControls &controls, RunPacer &pacer,
                const FileSelection &selection);

    /// Scan, or Cancel during a run; a scan returns when its run has ended.
    void click();
    /// A close asked for during a run: the run ends first, as Cancel ends it.
    /// False when no run works and the window may close now.
    bool holdClose();

    void enterPhase(RunHooks::Phase phase);
    void showBatch(const RunBatch &batch);
    /// An input check refused the run.
    void showMessage(const QString &text);
    /// What the last run could not read.
    const ReadFailures &failures() const { return *failures_; }

  private:
    void cancel();
    void setIdleCaption();

    QWidget &window_;
    FormControls &c_;
    RunPacer &pacer_;
    const FileSelection &selection_;
    ReadFailures *failures_;
};

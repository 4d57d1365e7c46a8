// quarrix-window-bench: drives the real main window through a scan and
// reports how long it took, how live the window stayed and what the rows
// cost in memory; can also take a screenshot of the window afterwards.
//
//   quarrix-window-bench tree FOLDER TEXT [--shot FILE.png] [--maximized] [--archives]
//   quarrix-window-bench million [LINES] [--shot FILE.png] [--maximized]
//   quarrix-window-bench memory FOLDER TEXT [RUNS]   (resident memory: fresh, after 1 and RUNS
//   scans)
//
// --maximized fills the screen with the window, as a user with a long list
// would (run it on a screen of the size wanted, e.g. under Xvfb).
// The window keeps its settings in a scratch file, never the user's.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"
#include "platform/freememory.h"
#include "scan/resultsmodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sys/resource.h>

namespace {

qint64 threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

/// Notes every turn of the event loop and the longest wait between two.
class LoopWatch {
  public:
    LoopWatch() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        clock_.start();
        last_ = 0;
        lastCpu_ = threadCpuNs();
        rusage use{};
        getrusage(RUSAGE_THREAD, &use);
        lastWaits_ = use.ru_nvcsw;
        lastPreempted_ = use.ru_nivcsw;
        timer_.start();
    }
    void stop() {
        tick();
        timer_.stop();
    }
    qint64 longestGapMs() const { return longest_ / 1000000; }
    /// The most processor time the window's thread spent between two turns:
    /// the wall-clock gap without the time other programs took the processor.
    qint64 longestCpuGapMs() const { return longestCpu_ / 1000000; }
    /// When the longest gap ended, in ms from the start.
    qint64 longestGapEndMs() const { return longestEnd_ / 1000000; }
    long turns() const { return turns_; }
    /// Within the longest gap: the window thread's processor time, the times
    /// it waited (for a lock, the disk, a reader) and the times another
    /// thread took the processor from it.
    qint64 gapCpuMs() const { return gapCpu_ / 1000000; }
    long gapWaits() const { return gapWaits_; }
    long gapPreempted() const { return gapPreempted_; }

  private:
    void tick() {
        const qint64 now = clock_.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        rusage use{};
        getrusage(RUSAGE_THREAD, &use);
        if (now - last_ > longest_) {
            longest_ = now - last_;
            longestEnd_ = now;
            gapCpu_ = cpu - lastCpu_;
            gapWaits_ = use.ru_nvcsw - lastWaits_;
            gapPreempted_ = use.ru_nivcsw - lastPreempted_;
        }
        lastWaits_ = use.ru_nvcsw;
        lastPreempted_ = use.ru_nivcsw;
        longestCpu_ = std::max(longestCpu_, cpu - lastCpu_);
        lastCpu_ = cpu;
        last_ = now;
        ++turns_;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 longestEnd_ = 0;
    qint64 lastCpu_ = 0;
    qint64 longestCpu_ = 0;
    long turns_ = 0;
    qint64 gapCpu_ = 0;
    long gapWaits_ = 0;
    long gapPreempted_ = 0;
    long lastWaits_ = 0;
    long lastPreempted_ = 0;
};

size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

template <typename T> T *find(QuarrixForm &form, const char *name) {
    return form.findChild<T *>(QString::fromLatin1(name));
}

/// Clicks Scan once the loop runs, so the watch sees the loop during the scan.
qint64 scan(QuarrixForm &form, LoopWatch &watch) {
    QElapsedTimer clock;
    qint64 elapsed = 0;
    QTimer::singleShot(0, [&] {
        watch.start();
        clock.start();
        find<QPushButton>(form, "ScanButton")->click();
        elapsed = clock.elapsed();
        watch.stop();
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    return elapsed;
}

void shoot(QuarrixForm &form, const QString &file) {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    const QRect frame = form.frameGeometry();
    const QPixmap shot =
        form.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    std::printf("screenshot %s: %s\n", qPrintable(file), shot.save(file) ? "saved" : "FAILED");
}

int treeScan(QuarrixForm &form, const QString &folder, const QString &text) {
    find<QTabWidget>(form, "ModeTabs")->setCurrentIndex(1);
    find<FolderTreeView>(form, "FTV2")->setSelectedFolder(folder);
    find<QRadioButton>(form, "AllFiles")->setChecked(true);
    find<SearchBox>(form, "TextList")->setEditText(text);
    LoopWatch watch;
    const qint64 ms = scan(form, watch);
    std::printf("tree scan: %lld ms, %lld rows, %ld event-loop turns, longest gap %lld ms "
                "(processor %lld ms, %ld waits, %ld preempted), longest slice %lld ms\n",
                static_cast<long long>(ms), static_cast<long long>(form.results().totalRows()),
                watch.turns(), static_cast<long long>(watch.longestGapMs()),
                static_cast<long long>(watch.gapCpuMs()), watch.gapWaits(), watch.gapPreempted(),
                static_cast<long long>(watch.longestCpuGapMs()));
    return 0;
}

/// The process's resident memory now, in MB.
double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

/// Resident memory of the window fresh, after one scan of folder and after
/// runs scans: what a run leaves held beyond its rows.
int memoryScans(QuarrixForm &form, const QString &folder, const QString &text, int runs) {
    find<QTabWidget>(form, "ModeTabs")->setCurrentIndex(1);
    find<FolderTreeView>(form, "FTV2")->setSelectedFolder(folder);
    find<QRadioButton>(form, "AllFiles")->setChecked(true);
    find<SearchBox>(form, "TextList")->setEditText(text);
    QCoreApplication::processEvents();
    const double fresh = residentMb();
    std::printf("memory: fresh window %.1f MB (heap in use %.1f MB)\n", fresh,
                double(heapInUse()) / (1 << 20));
    for (int run = 1; run <= runs; ++run) {
        LoopWatch watch;
        scan(form, watch);
        QCoreApplication::processEvents();
        const ResultsModel &rows = form.results();
        qint64 rowBytes = 0;
        for (qsizetype i = 0; i < rows.totalRows(); ++i) {
            const MatchRecord row = rows.row(i);
            rowBytes += row.text.toUtf8().size() + row.path.size() * 2 + 32;
        }
        const double held = residentMb();
        const double goal = fresh + double(rowBytes) / (1 << 20) + 50;
        if (run == 1 || run == runs)
            std::printf("memory: after %d scan(s) %.1f MB (heap in use %.1f MB), %lld rows (~%.1f "
                        "MB); goal "
                        "<= %.1f MB: %s\n",
                        run, held, double(heapInUse()) / (1 << 20),
                        static_cast<long long>(rows.totalRows()), double(rowBytes) / (1 << 20),
                        goal, held <= goal ? "ok" : "OVER");
    }
    return 0;
}

int millionScan(QuarrixForm &form, int lines) {
    QTemporaryDir dir;
    {
        QFile file(dir.filePath(QStringLiteral("million.txt")));
        file.open(QIODevice::WriteOnly);
        QByteArray chunk;
        for (int i = 0; i < lines; ++i) {
            chunk +=
                "line " + QByteArray::number(i) + ": the quick brown fox jumps over the lazy dog\n";
            if (chunk.size() > (1 << 20)) {
                file.write(chunk);
                chunk.clear();
            }
        }
        file.write(chunk);
    }
    find<QTabWidget>(form, "ModeTabs")->setCurrentIndex(0);
    find<FolderTreeView>(form, "FTV1")->setSelectedFolder(dir.path());
    auto *files = find<FileListBox>(form, "File1");
    files->setPath(dir.path());
    files->item(0)->setSelected(true);
    find<SearchBox>(form, "TextList")->setEditText(QStringLiteral("fox"));
    malloc_trim(0);
    const size_t before = heapInUse();
    LoopWatch watch;
    const qint64 ms = scan(form, watch);
    malloc_trim(0);
    const size_t after = heapInUse();
    const ResultsModel &rows = form.results();
    qint64 textBytes = 0;
    for (qsizetype i = 0; i < rows.totalRows(); ++i)
        textBytes += rows.row(i).text.toUtf8().size();
    const qint64 held = static_cast<qint64>(after) - static_cast<qint64>(before);
    const qint64 allowed = 3 * textBytes + 100 * rows.totalRows();
    std::printf(
        "million scan: %lld ms, %lld rows (%lld in the view), longest gap %lld ms (ending at "
        "%lld ms; most processor time between turns %lld ms), %ld turns\n",
        static_cast<long long>(ms), static_cast<long long>(rows.totalRows()),
        static_cast<long long>(rows.rowCount()), static_cast<long long>(watch.longestGapMs()),
        static_cast<long long>(watch.longestGapEndMs()),
        static_cast<long long>(watch.longestCpuGapMs()), watch.turns());
    std::printf("in the longest gap: processor %lld ms, %ld waits, %ld preemptions\n",
                static_cast<long long>(watch.gapCpuMs()), watch.gapWaits(), watch.gapPreempted());
    std::printf("rows hold %lld bytes (%.1f a row) for %lld bytes of text; allowed %lld: %s\n",
                static_cast<long long>(held), double(held) / double(rows.totalRows()),
                static_cast<long long>(textBytes), static_cast<long long>(allowed),
                held <= allowed ? "ok" : "OVER");
    return rows.totalRows() == lines + 1 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    platform::shareAllocatorArenas(); // as the program does
    QApplication app(argc, argv);
    QTemporaryDir settings;
    SettingsStore::useStoreFile(settings.filePath(QStringLiteral("settings.ini")));
    QStringList args = QCoreApplication::arguments().mid(1);
    QString shot;
    if (const qsizetype at = args.indexOf(QStringLiteral("--shot"));
        at >= 0 && at + 1 < args.size()) {
        shot = args.at(at + 1);
        args.remove(at, 2);
    }
    const bool maximized = args.removeAll(QStringLiteral("--maximized")) > 0;
    const bool archives = args.removeAll(QStringLiteral("--archives")) > 0;
    // Search options for screenshots: a regular expression, the panel open.
    const bool regex = args.removeAll(QStringLiteral("--regex")) > 0;
    const bool openOptions = args.removeAll(QStringLiteral("--open-options")) > 0;
    QuarrixForm form;
    find<QCheckBox>(form, "SearchArchives")->setChecked(archives);
    if (maximized)
        form.showMaximized();
    else
        form.show();
    form.setWindowTitle(QuarrixForm::titleText());
    QCoreApplication::processEvents();
    find<QCheckBox>(form, "RegularExpression")->setChecked(regex);
    int rc = 2;
    if (args.value(0) == u"tree" && args.size() == 3)
        rc = treeScan(form, args.at(1), args.at(2));
    else if (args.value(0) == u"memory" && args.size() >= 3 && args.size() <= 4)
        rc = memoryScans(form, args.at(1), args.at(2), args.size() == 4 ? args.at(3).toInt() : 8);
    else if (args.value(0) == u"million" && args.size() <= 2)
        rc = millionScan(form, args.size() == 2 ? args.at(1).toInt() : 1000000);
    else
        std::fputs("usage: quarrix-window-bench tree FOLDER TEXT | memory FOLDER TEXT [RUNS] | "
                   "million [LINES]  [--shot FILE] "
                   "[--maximized] [--archives] [--regex] [--open-options]\n",
                   stderr);
    find<QToolButton>(form, "OptionsToggle")->setChecked(openOptions);
    if (!shot.isEmpty()) {
        // A row in the middle is selected, so that the preview shows it.
        auto *list = find<QTableView>(form, "MatchLV");
        list->selectRow(list->model()->rowCount() / 2);
        list->scrollTo(list->currentIndex());
        shoot(form, shot);
    }
    // The settings kept at close stay as other runs expect them.
    find<QCheckBox>(form, "SearchArchives")->setChecked(false);
    return rc;
}

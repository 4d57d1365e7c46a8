// How far a run is: files done of files total beside the status text, shown
// only during a run, and a status path that keeps its file name in sight.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/runpacer.h"
#include "mainwindow/statusbar.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

struct Sample {
    bool visible;
    int value, maximum;
    QString text;
};

class ProgressTest : public WindowTest {};

} // namespace

TEST_F(ProgressTest, TheBarCountsFilesDoneOfTotalDuringARunOnly) {
    // Enough rows that the run lasts several event-loop slices on a fast machine:
    // lines without the word alone are read faster than one slice.
    const int files = 200;
    const QByteArray body = QByteArray("a line without the word\n").repeated(4000) +
                            QByteArray("a zebra line\n").repeated(1500);
    for (int i = 0; i < files; ++i)
        dir.write(QStringLiteral("tree/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), body);
    store(QStringLiteral("LastTab"), QStringLiteral("2"));
    store(QStringLiteral("LastDSPath"), dir.file(QStringLiteral("tree")));
    openWindow();
    form->show();
    control<QRadioButton>("AllFiles")->setChecked(true);
    auto *bar = control<StatusBar>("StatBar")->progressBar();
    EXPECT_FALSE(bar->isVisible());

    std::vector<Sample> samples;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        samples.push_back({bar->isVisible(), bar->value(), bar->maximum(), bar->text()});
    });
    watch.start();
    scanFor(QStringLiteral("zebra"));
    watch.stop();

    std::vector<Sample> during;
    for (const Sample &s : samples)
        if (s.visible && s.maximum > 0)
            during.push_back(s);
    ASSERT_FALSE(during.empty()) << "the run turned the event loop " << samples.size() << " times";
    for (size_t i = 0; i < during.size(); ++i) {
        EXPECT_EQ(during[i].maximum, files);
        EXPECT_LE(during[i].value, files);
        EXPECT_EQ(during[i].text, u"Files Read: %1 Of %2"_qs.arg(during[i].value).arg(files));
        if (i > 0) {
            EXPECT_GE(during[i].value, during[i - 1].value);
        }
    }
    EXPECT_FALSE(bar->isVisible()); // hidden again after the run
    EXPECT_EQ(statusText(), u"Scanning Complete");
}

TEST_F(ProgressTest, ALongStatusPathKeepsItsFileNameOutOfTheClock) {
    openWindow();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QString path =
        u"Scanning File: "_qs + QStringLiteral("/deep").repeated(60) + u"/the-file-name.txt"_qs;
    form->SBar(path);
    auto *bar = control<StatusBar>("StatBar");
    EXPECT_EQ(bar->panelText(), path);
    EXPECT_TRUE(bar->shownText().endsWith(u"the-file-name.txt")) << qPrintable(bar->shownText());
    EXPECT_TRUE(bar->shownText().startsWith(u"Scanning"));
    const auto *status = bar->findChild<QLabel *>(QStringLiteral("StatusPanel"));
    const auto *clock = bar->findChild<QLabel *>(QStringLiteral("TimePanel"));
    EXPECT_LE(status->geometry().right(), clock->geometry().left());
}

// The editor on large files: opening with the search text coloured, one
// keystroke, Undo and Redo, for 1, 10 and 50 MB with few and many hits.
// Wall and process CPU times are printed (the machine may be shared).
// Usage: quarrix-editor-bench [folder for the files]

#include "controls/richtext/richtextbox.h"
#include "editor/quarxeditorform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <cstdio>
#include <ctime>

namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/// Lines of about 100 characters; every hitEvery-th line holds "alpha".
QString writeFile(const QString &folder, int megabytes, int hits) {
    const QString path = folder + QStringLiteral("/editor-%1mb-%2.txt").arg(megabytes).arg(hits);
    const qint64 size = qint64(megabytes) * 1000 * 1000;
    const qint64 lines = size / 100;
    const qint64 hitEvery = qMax<qint64>(1, lines / hits);
    QByteArray bytes;
    bytes.reserve(size + 200);
    for (qint64 i = 0; i < lines; ++i) {
        QByteArray line =
            "line " + QByteArray::number(i) +
            (i % hitEvery == 0 ? " has the word Alpha in it" : " has other words in it");
        line += QByteArray(99 - line.size(), '.') + '\n';
        bytes += line;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

struct Timer {
    QElapsedTimer wall;
    double cpu = cpuMs();
    Timer() { wall.start(); }
    QString text() const {
        return QStringLiteral("%1 ms (cpu %2 ms)").arg(wall.elapsed()).arg(qRound(cpuMs() - cpu));
    }
};

void measure(const QString &path, int megabytes, int hits) {
    QUARXEditorForm editor;
    editor.setSearchTextReader([] { return QStringLiteral("alpha"); });
    Timer open;
    QString error;
    editor.openFile(path, error);
    editor.show();
    editor.Form_Activate();
    QApplication::processEvents();
    editor.rtfText->viewport()->repaint();
    const QString opened = open.text();

    editor.rtfText->setSelStart(editor.rtfText->GetTextLength() / 2);
    Timer key;
    QTest::keyClick(editor.rtfText, Qt::Key_X);
    editor.rtfText->viewport()->repaint();
    const QString typed = key.text();
    Timer undo;
    editor.UndoChange();
    editor.rtfText->viewport()->repaint();
    const QString undone = undo.text();
    Timer redo;
    editor.RedoChange();
    editor.rtfText->viewport()->repaint();
    const QString redone = redo.text();
    std::printf("%3d MB %7d hits  open+colour %-28s key %-22s undo %-22s redo %s\n", megabytes,
                hits, qPrintable(opened), qPrintable(typed), qPrintable(undone),
                qPrintable(redone));
    std::fflush(stdout);
    editor.rtfText->document()->setModified(false);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    for (const int megabytes : {1, 10, 50})
        for (const int hits : {100, megabytes * 10000}) {
            const QString path = writeFile(folder, megabytes, hits);
            measure(path, megabytes, hits);
            QFile::remove(path);
        }
    return 0;
}

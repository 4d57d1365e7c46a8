// The manual that Help opens names every control, key and option a user
// meets: each caption, tooltip and accessible name of the windows, each key
// of the editor, and each option quarrix-scan's --help lists.

#include "about/shareware_about.h"
#include "editor/quarxeditorform.h"
#include "fileprops/cfiform.h"
#include "windowtestsupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabBar>
#include <QTextDocument>
#include <set>

namespace {

/// The manual's words as a reader sees them: markup gone, entities decoded,
/// white space made single spaces.
QString manualText() {
    QFile file(QStringLiteral(QUARRIX_MANUAL));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << QUARRIX_MANUAL;
    QTextDocument page;
    page.setHtml(QString::fromUtf8(file.readAll()));
    return page.toPlainText().simplified();
}

/// A caption as the manual writes it: without its access key's "&" (when it
/// has one) and the colon at its end.
QString caption(QString text, bool accessKey) {
    if (accessKey)
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    text = text.simplified();
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}

/// Labels that show a value, not a caption: the program's own version
/// information in About.
const std::set<QString> ValueLabels = {u"lblTitle"_qs, u"lblVersion"_qs, u"lblDescription"_qs,
                                       u"lblCopyright"_qs};

bool showsValue(const QWidget *control) {
    for (const QObject *up = control; up; up = up->parent())
        if (qobject_cast<const QStatusBar *>(up) || qobject_cast<const QTabBar *>(up->parent()))
            return true; // the status line's panels; the tab strip's scroll arrows
    const auto *label = qobject_cast<const QLabel *>(control);
    return label && (ValueLabels.count(label->objectName()) ||
                     !label->text().contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
}

/// What a user reads on a window's controls: captions, tooltips, accessible
/// names, menu commands, column titles and the keys of its commands.
std::set<QString> namesOn(const QWidget &window) {
    std::set<QString> names;
    const auto add = [&names](const QString &text, bool accessKey = true) {
        if (!caption(text, accessKey).isEmpty())
            names.insert(caption(text, accessKey));
    };
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        if (showsValue(control))
            continue;
        add(control->accessibleName(), false);
        add(control->toolTip(), false);
        if (const auto *label = qobject_cast<const QLabel *>(control))
            add(label->text());
        if (const auto *button = qobject_cast<const QAbstractButton *>(control))
            add(button->text());
        if (const auto *frame = qobject_cast<const QGroupBox *>(control))
            add(frame->title());
        if (const auto *tabs = qobject_cast<const QTabBar *>(control))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->tabText(i));
        const auto *header = qobject_cast<const QHeaderView *>(control);
        if (header && header->model() && !header->isHidden())
            for (int i = 0; i < header->count(); ++i)
                if (!header->isSectionHidden(i))
                    add(header->model()->headerData(i, header->orientation()).toString());
    }
    for (const QAction *action : window.findChildren<QAction *>()) {
        if (action->menu())
            continue;
        add(action->text());
        add(action->toolTip(), false);
        // The first key of a command; the platform's alternatives need no mention.
        add(action->shortcut().toString(QKeySequence::PortableText));
    }
    return names;
}

} // namespace

class ManualTest : public WindowTest {};

TEST_F(ManualTest, NamesEveryControlAndKeyOfTheWindows) {
    const QString manual = manualText();
    ASSERT_GT(manual.size(), 10000);
    openWindow();
    const QUARXEditorForm editor;
    const CFIForm information;
    const shareware_about about;
    int count = 0;
    for (const QWidget *window :
         std::initializer_list<const QWidget *>{form.get(), &editor, &information, &about})
        for (const QString &name : namesOn(*window)) {
            ++count;
            EXPECT_TRUE(manual.contains(name)) << "the manual does not name " << qPrintable(name)
                                               << " (" << qPrintable(window->objectName()) << ")";
        }
    EXPECT_GE(count, 60);
}

TEST_F(ManualTest, NamesEveryOptionOfQuarrixScan) {
    QProcess scan;
    scan.start(QStringLiteral(QUARRIX_SCAN_PATH), {QStringLiteral("--help")});
    ASSERT_TRUE(scan.waitForFinished(10000));
    const QString help = QString::fromUtf8(scan.readAllStandardOutput());
    const QString manual = manualText();
    QRegularExpressionMatchIterator options =
        QRegularExpression(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*")).globalMatch(help);
    int count = 0;
    while (options.hasNext()) {
        const QString option = options.next().captured();
        ++count;
        EXPECT_TRUE(manual.contains(option)) << "the manual does not name " << qPrintable(option);
    }
    EXPECT_GE(count, 5);
}

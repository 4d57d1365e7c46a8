// What a screen reader hears: every control of the window that can take the
// focus, in both modes, and the lists and trees, has a name.

#include "windowtestsupport.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QHeaderView>
#include <QTabWidget>

namespace {

class AccessibilityTest : public WindowTest {
  protected:
    /// The controls in sight that a user reaches, with what a screen reader names them.
    QMap<QString, QString> namesInSight() {
        QMap<QString, QString> names;
        for (QWidget *w : form->findChildren<QWidget *>()) {
            // A table's header is reached through the table.
            const bool reached =
                ((w->focusPolicy() & Qt::TabFocus) || qobject_cast<QAbstractItemView *>(w)) &&
                !qobject_cast<QHeaderView *>(w);
            if (!reached || !w->isVisibleTo(form.get()) || w->focusProxy())
                continue;
            QString path = w->objectName();
            for (QWidget *up = w->parentWidget(); path.isEmpty() && up; up = up->parentWidget())
                path = up->objectName() + u'/' + QString::fromLatin1(w->metaObject()->className());
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
            names.insert(path, face ? face->text(QAccessible::Name) : QString());
        }
        return names;
    }
};

} // namespace

TEST_F(AccessibilityTest, EveryControlInSightHasANameInBothModes) {
    openWindow();
    auto *tabs = control<QTabWidget>("ModeTabs");
    for (int mode : {0, 1}) {
        tabs->setCurrentIndex(mode);
        const QMap<QString, QString> names = namesInSight();
        EXPECT_GE(names.size(), 10);
        for (auto it = names.begin(); it != names.end(); ++it)
            EXPECT_FALSE(it.value().trimmed().isEmpty()) << qPrintable(it.key());
        if (mode == 0) { // a picture button by its tooltip, a list by its caption
            EXPECT_EQ(names.value(u"ExitButton"_qs), u"Exit This Application");
            EXPECT_EQ(names.value(u"MatchLV"_qs), u"Scan Results");
            EXPECT_EQ(names.value(u"File1"_qs), u"Select File(s) To Scan...");
        }
    }
}

#include "controls/richtext/richtextbox.h"
#include "dialogs/dialogtesting.h"
#include "editor/quarxeditorform.h"
#include "mainwindow/openineditor.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

TEST(OpenInEditor, ColoursTheSearchTextItIsGiven) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("notes.txt"), "alpha beta\r\n");
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *button = new QPushButton(&window);
    layout->addWidget(button);
    window.show();

    bool coloured = false;
    QString caption;
    onNextModal<QUARXEditorForm>([&](QUARXEditorForm *editor) {
        waitUntil([&] { return !editor->FirstActivate; }, 2000);
        coloured = editor->rtfText->marks().isMarked(6);
        caption = editor->windowTitle();
        editor->close();
    });
    OpenInEditor(path, button, QStringLiteral("beta"));
    EXPECT_TRUE(coloured);
    EXPECT_EQ(caption, QStringLiteral("Text File Editor - ") + path);
}

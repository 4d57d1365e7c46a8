#include "controls/richtext/richtextbox.h"
#include "dialogs/dialogtesting.h"
#include "editor/quarxeditorform.h"
#include "mainwindow/openineditor.h"

#include <QComboBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

TEST(OpenInEditor, ColoursTheSearchTextOfTheOwnersWindow) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("notes.txt"), "alpha beta\r\n");
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *textList = new QComboBox(&window);
    textList->setObjectName(QStringLiteral("TextList"));
    textList->setEditable(true);
    textList->setEditText(QStringLiteral("beta"));
    auto *button = new QPushButton(&window);
    layout->addWidget(textList);
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
    OpenInEditor(path, button);
    EXPECT_TRUE(coloured);
    EXPECT_EQ(caption, QStringLiteral("Text File Editor - ") + path);
}

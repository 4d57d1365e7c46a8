#pragma once

#include "quarrixversion.h"

#include <QString>

class QWidget;

/// Message boxes described by a style number: buttons plus icon plus default
/// button, as the program's windows ask for them.
namespace MessageBoxStyle {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int DefaultButton2 = 256;

/// The answer codes a box returns.
inline constexpr int AnswerOk = 1;
inline constexpr int AnswerCancel = 2;
inline constexpr int AnswerYes = 6;
inline constexpr int AnswerNo = 7;
} // namespace MessageBoxStyle

namespace FunctionModule {

/// The program's name, the title of its message boxes.
inline const QString ProductName = QString::fromLatin1(QuarrixVersion::ProductName);

/// Shows a modal box of the given style (36: question, Yes and No; 48:
/// exclamation, OK; 64: information, OK; 0: OK alone) and returns the answer
/// code of the button pressed. Closing the box without a button counts as
/// Cancel, as No when there is no Cancel button, and as OK for an OK box.
int showMessageBox(QWidget *owner, const QString &text, int style,
                   const QString &title = ProductName);

} // namespace FunctionModule

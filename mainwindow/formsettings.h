#pragma once

class QWidget;
struct FormControls;

/// The window's settings: the scan its controls describe, the past searches,
/// the column widths and the window's place. Each step goes on after a
/// failing one.
namespace FormSettings {
/// Sets the controls and the window as the stored settings say.
void load(FormControls &controls, QWidget &window);
void save(const FormControls &controls, const QWidget &window);
} // namespace FormSettings

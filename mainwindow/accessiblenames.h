#pragma once

struct FormControls;

/// What a screen reader says for each control of the window: a control
/// with a caption of its own is named by it; a picture button by its
/// tooltip; a list, a tree or the search box by the caption it stands
/// under, its tooltip (the hint) becoming its description.
namespace AccessibleNames {
void nameControls(const FormControls &controls);
} // namespace AccessibleNames

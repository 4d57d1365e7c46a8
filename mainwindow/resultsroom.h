#pragma once

struct FormControls;

/// Room for the results on a short window (a small screen, a large scale):
/// the tag layout takes all of a lost height from the results list, which
/// would leave no row in sight. After it has run, the folder trees, the
/// file list and their frames give way first, down to what still shows
/// their options, and the results list takes the height they gave. The
/// layout's own geometry in twips is left as it is, so the window comes
/// back to the tag layout's places as it grows again.
namespace ResultsRoom {
/// The rows the results list keeps in sight while the trees can give way.
inline constexpr int LeastRows = 5;
/// Moves the controls, in pixels, so the results list shows LeastRows rows
/// where the trees can give the height.
void keepRowsInSight(const FormControls &controls);
/// Shares the results list's height with the preview pane under it when
/// Preview is checked, the list keeping LeastRows rows; the pane is hidden
/// where that leaves it too little room. The Preview box sits at the
/// results frame's top right.
void placePreview(const FormControls &controls);
/// The height the results list needs for rows rows between its header
/// and its horizontal scroll bar.
int listHeightFor(const FormControls &controls, int rows);
} // namespace ResultsRoom

#pragma once
// Captions fitted to the fonts the window draws them in. The window's captions were laid out
// for a narrower font at fixed places; where a text would run under the edit beside it, or a
// value shown over a caption's run of blanks would cover the unit after it, these move or
// condense what is drawn. The texts themselves never change.
class QLabel;
class QWidget;

namespace moravel::window {

// Condenses `label`'s font just enough (never widens it) that its caption up to its last
// "=" (the whole caption when it has none) ends at least one pixel before `edit`.
// `label` and `edit` share a parent.
void FitBeforeEdit(QLabel* label, const QWidget* edit);

// Moves the unit after `caption`'s run of blanks (the "km" of "Powierzchnia zlewni:   km")
// just far enough right that it starts at least two pixels after `value`'s text, which is
// shown over the run; with a short value the unit stays where the caption puts it. The unit is
// drawn by a label of its own, named after the caption with "Jednostka" appended, shown and
// hidden with it; the caption keeps its whole text. `superscript`, when given, follows the
// unit (the raised "2" of "km"). All share a parent.
void MakeRoomForValue(QLabel* caption, const QLabel* value, QLabel* superscript = nullptr);

// Places `superscript` (a raised "2") right after the "m" of the lot size in `caption`
// ("Tereny mieszk., obszar ok. 500m ...", "1000m ..."), keeping its height.
void RaiseAfterUnit(QLabel* superscript, const QLabel* caption);

}  // namespace moravel::window

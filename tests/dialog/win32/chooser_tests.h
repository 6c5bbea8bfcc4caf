// End-to-end tests of the system's choosers and of the context menu, worked as a
// user works them: keys, the menu's items, the choosers' own controls.
#pragma once

namespace talvorix::e2e {

/// Ctrl+O opens the system's file chooser with the report filter first and every file
/// second; a chosen report loads (a name outside the system's code page too), a
/// cancelled chooser changes nothing.
void CtrlOOpensTheChosenReport();
/// Ctrl+C and Ctrl+O typed in the file chooser's name box are the name box's: the
/// selected text is copied and no second chooser opens.
void KeysInTheChooserBelongToIt();
/// A right-click shows the three items with their keys; Escape does nothing, the copy
/// item copies the answer on screen, the open and watch items open the system's file and
/// folder choosers.
void ContextMenuOffersOpenWatchAndCopy();

}  // namespace talvorix::e2e

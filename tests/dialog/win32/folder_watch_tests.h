// End-to-end tests of the dialog watching a real folder, and of Ctrl+C.
#pragma once

namespace talvorix::e2e {

/// A folder on the command line: no report yet, then saved reports appear by
/// themselves, a newer one replaces the shown one, a save written in two halves shows
/// only whole, and a dropped file ends the watch.
void WatchesAFolder();
/// Folders and reports whose names have no form in the system's code page: a dropped
/// folder is watched, its reports appear, and the hint shows its name; in a folder
/// given as an 8-bit path, such a report appears too.
void WatchesFoldersNamedOutsideTheCodePage();
/// An empty placeholder made under a report's name never shows (not even "no riddle
/// found"), and a report dated in the future hides no later save.
void PlaceholdersAndFutureDates();
/// A folder of many other files (TALVORIX_BIG_FOLDER_FILES, 20,000 unless set): the idle
/// watch uses almost no CPU, the dialog answers at once, and a new save shows within 1 s.
void WatchesABigFolderWithoutRescans();
/// Ctrl+C puts the answer on screen on the clipboard as Unicode text.
void CopyPutsTheAnswerOnTheClipboard();

}  // namespace talvorix::e2e

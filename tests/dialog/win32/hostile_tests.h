// End-to-end tests of what a hostile or broken program, file or folder can do to the
// Windows programs: names the code page would bend, windows and writers that pose as
// the dialog or race the sender, stray messages, odd paths.
#pragma once

namespace talvorix::e2e {

/// fordulo.html and fordulő.html side by side on a Western code page: the CLI, its
/// watch, the dialog's command line and the sender each take the name as given or
/// refuse it, never the look-alike; a full-width slash never leaves a watched folder.
void BestFitNamesAreRefused();
/// The sender's exit code tells the truth: a decoy window, a writer racing without
/// the senders' turn, a locked report, a turn held by another program.
void HandOverTellsTheTruth();
/// An empty block and drops with bogus handles change neither the screen nor a watch.
void StrayMessagesChangeNothing();
/// The CLI: a \\?\ folder watched, output with LF line ends, a named pipe refused
/// without letting its server act as the player.
void CliPathsAndOutput();

}  // namespace talvorix::e2e

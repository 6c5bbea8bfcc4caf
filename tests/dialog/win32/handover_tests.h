// End-to-end tests of handing paths to the dialog through talvorix-send.exe when
// several senders run at once, and of the turns our senders take.
#pragma once

namespace talvorix::e2e {

/// 1, 2 and 8 senders at a time, paths of equal and of mixed lengths, 200 paths a
/// row: every sender ends with 0 and the dialog loads each path once, in order.
void ConcurrentSendersLoadEachPathOnce();
/// A sender waits for a turn held by someone else, takes an abandoned one, and
/// gives up with status 1 when the turn does not come within its wait.
void SendersTakeTurns();
/// A path written into the block by a program outside the turns, between the
/// sender's write and the dialog's read, makes the sender fail.
void ForeignWriteFailsTheSender();
/// A relative path, named from the sender's working directory, reaches the dialog
/// whole, and the dialog loads that report.
void RelativePathsArriveWhole();

}  // namespace talvorix::e2e

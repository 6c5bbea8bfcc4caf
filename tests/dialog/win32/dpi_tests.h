// End-to-end tests of the dialog at display scalings other than 100 %.
#pragma once

namespace talvorix::e2e {

/// The dialog's thread is per-monitor v2 DPI aware (from the program's manifest), and
/// at 144 DPI (150 %) the dialog is 1.5 times its size at 96 DPI.
void DialogFollowsTheDisplayScaling();

}  // namespace talvorix::e2e

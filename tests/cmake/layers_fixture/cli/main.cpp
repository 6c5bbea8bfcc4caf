// The command line reaching up into the dialog: the layer check must refuse it.
#include "cli/output.h"
#include "dialog/main_dialog.h"

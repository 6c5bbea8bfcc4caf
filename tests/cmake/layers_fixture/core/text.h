// The bottom layer including the scanner: refused.
#include "core/cp1250.h"
#include "scanner/line_reader.h"

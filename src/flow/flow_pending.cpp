// Executors whose commands are built elsewhere: each does nothing until its owner replaces it with
// the real one in that command's own file.
#include "flow/exectable.h"
#include "flow/executors.h"


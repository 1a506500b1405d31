#include "shell/globals.h"

#include "gfx/font.h"
#include "scenes/surfacesets.h"

void BuildGlobalTables() {
  BuildBitmapSet();
  BuildFontRecords();
  BuildDigitRecords();
}

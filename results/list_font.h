// The results list's font: the LOGFONTW stored in the Font setting, or the default list font.
#pragma once

#include <windows.h>

// The font record to create: the stored Font value (REG_BINARY, at most the size of a LOGFONTW; a shorter
// value fills its start) or the default ("Consolas" -14 on systems after version 5, else "Tahoma" 8 pt).
// In every case weight 400, ClearType quality and no precision or pitch overrides.
LOGFONTW ListFontSettings();

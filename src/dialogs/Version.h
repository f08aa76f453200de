// The program's name, version and release date: read by the info dialog and
// by the version resource (res/tresorix.rc), so plain macros only.
#pragma once

#define TRESORIX_NAME "Tresorix"
#define TRESORIX_VERSION "1.0"
#define TRESORIX_VERSION_NUMBERS 1, 0, 0, 0
#define TRESORIX_RELEASE_DATE "07.12.2026"

// The program's name, version, release date and addresses: read by the info
// dialog, the main window and the version resource (res/tresorix.rc), so
// plain macros only.
#pragma once

#define TRESORIX_NAME "Tresorix"
#define TRESORIX_VERSION "1.0"
#define TRESORIX_VERSION_NUMBERS 1, 0, 0, 0
#define TRESORIX_RELEASE_DATE "07.12.2026"
#define TRESORIX_MAIL "team@example.org"
#define TRESORIX_WEB "https://www.example.org/"

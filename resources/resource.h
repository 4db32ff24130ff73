// Resource identifiers, shared by the .rc file and the code.
#pragma once

#define IDI_APP 101
#define IDB_SKIN 102
#define IDB_TESTPATTERN 103
#define IDC_POINTING_HAND 104
#define IDR_MANIFEST 1

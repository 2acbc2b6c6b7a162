// Resource identifiers of Rewyn.dll.
#pragma once

#define IDS_CONTROL_NAME 1
#define IDS_PROPPAGE_NAME 2
#define IDB_TOOLBOX 1
#define IDD_PROPPAGE 200
#define IDS_PROPPAGE_CAPTION 200

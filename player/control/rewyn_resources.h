// Resource identifiers of Rewyn.dll.
#pragma once

#define IDB_TOOLBOX 1
#define IDD_PROPPAGE 200
#define IDS_PROPPAGE_CAPTION 200

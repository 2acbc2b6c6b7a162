// Dialog templates of the five host windows.
#pragma once

#define IDD_VIEWER_HOST 130
#define IDD_BACKUP_HOST 131
#define IDD_PLAYER_HOST 132
#define IDD_SEARCH_HOST 133
#define IDD_REMOTE_SETUP_HOST 134

// Dialog templates of the connection and login dialogs (in Ostra's resources).
#pragma once
#define IDD_SITE_EDIT 201
#define IDD_LOGIN 202

// Dialog template of the site setup dialog (in Ostra's resources).
#pragma once
#define IDD_SITE_SETUP 200

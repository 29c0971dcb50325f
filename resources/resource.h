// Resource ids shared by the resource script and the code.
#pragma once

// The payload's ids ("FILE" resources) are in base/catalogue.h.

// Dialog templates.
#define IDD_LOCATION 101
#define IDD_FOLDER 102
#define IDD_PROGRESS 103
#define IDD_LICENSE 158
#define IDD_SCOPE 104

// Icon group.
#define IDI_QUILLARIX 103

// Controls.
#define IDC_FOLDER_EDIT 1000
#define IDC_BROWSE 1001
#define IDC_CHANGE 1002
#define IDC_LICENSE_TEXT 1000
#define IDC_ALL_USERS 1003
#define IDC_PROGRESS_BAR 1004
#define IDC_NONE 65535

/* Resource identifiers of OUTFIT.EXE: dialog templates, page pictures, icon.
 * Control identifiers of the wizard templates are in setup/shell/shell.h. */
#ifndef RESOURCE_H
#define RESOURCE_H

#define IDI_OUTFIT 101

#define IDD_LOCATION 102     /* location page: page 104 plus the path edit box */
#define IDD_PAGE 104         /* every ordinary wizard page */
#define IDD_SYSINFO 107      /* system information */

/* Page pictures, 200 x 240: 256-colour editions and their 16-colour twins. */
#define IDB_GENERAL 107
#define IDB_CDMUSIC 108
#define IDB_SOUNDCARD 109
#define IDB_FINISHED 110
#define IDB_GROUP 111
#define IDB_CDMUSIC16 122
#define IDB_FINISHED16 123
#define IDB_GROUP16 124
#define IDB_GENERAL16 125
#define IDB_SOUNDCARD16 126

/* Controls of the system information template (labels and values). */
#define IDC_LABEL_VIDEO 1021
#define IDC_LABEL_SOUND 1022
#define IDC_LABEL_MEMORY 1024
#define IDC_LABEL_CDROM 1025
#define IDC_LABEL_DIRECTX 1029
#define IDC_VALUE_VIDEO 1027
#define IDC_VALUE_SOUND 1028
#define IDC_VALUE_MEMORY 1030
#define IDC_VALUE_CDROM 1031
#define IDC_VALUE_DIRECTX 1032

/* The wizard controls, for the resource compiler only: C++ code takes them
 * from the enum in setup/shell/shell.h. */
#ifdef RC_INVOKED
#define IDC_PATH 1001
#define IDC_NEXT 1002
#define IDC_BACK 1003
#define IDC_TITLE 1004
#define IDC_TEXT 1005
#define IDC_CANCEL 1018
#define IDC_PICTURE 1019
#endif

#endif

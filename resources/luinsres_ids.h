/* luinsres_ids.h - the contract between the library and its language resource
 * module luinsres.dll: dialog template numbers, control IDs, bitmap names and
 * string numbers. Shared by the .rc file and the library's sources, so that no
 * number stands in two places. Plain #defines, since the resource compiler
 * reads this file too. */
#ifndef LUINSRES_IDS_H
#define LUINSRES_IDS_H

/* Dialog templates */
#define DLG_PROGRESS 3
#define DLG_REINSTALL 4
#define DLG_OPTIONS 500
#define DLG_LANGUAGE 502
#define DLG_MAIN 1200
#define DLG_MAIN_UPGRADE 1300
#define DLG_NETWORK 4000

/* Controls shared by several templates */
#define IDC_HELP_BUTTON 998

/* Progress dialog (3) */
#define IDC_PROGRESS_MESSAGE 622

/* Reinstall dialog (4) */
#define IDC_REINSTALL_MODIFY 101
#define IDC_REINSTALL_REINSTALL 102
#define IDC_REINSTALL_REMOVE 103

/* Options dialog (500) */
#define IDC_OPTIONS_LIST 101
#define IDC_OPTIONS_DETAILS 102
#define IDC_OPTIONS_FREE 401
#define IDC_OPTIONS_NEEDED 402
#define IDC_OPTIONS_DESCRIPTION 403

/* Language dialog (502) */
#define IDC_LANGUAGE_ENGLISH 102
#define IDC_LANGUAGE_GERMAN 103
#define IDC_LANGUAGE_FRENCH 104
#define IDC_LANGUAGE_SPANISH 105
#define IDC_LANGUAGE_JAPANESE 106
#define IDC_LANGUAGE_RUSSIAN 107

/* Main dialog (1200, 1300) */
#define IDC_MAIN_DIRECTORY 301
#define IDC_MAIN_FREE 401
#define IDC_MAIN_FULL_SIZE 402
#define IDC_MAIN_DEFAULT_SIZE 104
#define IDC_MAIN_STANDARD 102
#define IDC_MAIN_CUSTOM 103
#define IDC_MAIN_WORKSTATION 105

/* Network dialog (4000) */
#define IDC_NETWORK_DIRECTORY 301
#define IDC_NETWORK_FREE 401
#define IDC_NETWORK_NEEDED 402

/* Bitmaps, by name */
#define BMP_TICK "OWNCOMBOBMP"
#define BMP_BLANK "BLANKBMP"

/* Strings */
#define IDS_CAPTION 700
#define IDS_NO_INSTALLATION 555
#define IDS_OTHER_VERSION 556
#define IDS_OLDER_KIND 557
#define IDS_CATEGORY_NAME_BASE 574     /* 574..584: categories 0..10 */
#define IDS_UPGRADE_CUSTOM 599
#define IDS_PROGRESS_READING 606
#define IDS_PROGRESS_CONFIGURING 607
#define IDS_PROGRESS_NETWORK 608
#define IDS_REMOVE_SHARED 615
#define IDS_NO_SPACE 702
#define IDS_CONFIRM_CANCEL 703
#define IDS_NOT_SAVED 704             /* install.ini could not be written */
#define IDS_REGISTRY_NOT_WRITTEN 705  /* a registry key or value could not be written */
#define IDS_FOLDER_NOT_MADE 706       /* the installation folder could not be created */
#define IDS_FOLDER_UNUSABLE 707       /* a folder typed that the system's code page cannot hold */
#define IDS_CATEGORY_DESCRIPTION_BASE 900  /* 901..910: categories 1..10 */
#define IDS_ITEM_DESCRIPTION_BASE 911      /* 912..920: groups 1..9, one "%s" */

/* Component display names: base + number, by group */
#define IDS_NAME_BASE_VWP 0
#define IDS_NAME_BASE_SWP 0
#define IDS_NAME_BASE_TWP 0
#define IDS_NAME_BASE_PICTURE 200
#define IDS_NAME_BASE_SPREADSHEET 300
#define IDS_NAME_BASE_INTERUTIL 325
#define IDS_NAME_BASE_INTEGRATION 350
#define IDS_NAME_BASE_MANUAL 380         /* 381..384: Info1..Info4 */

#endif

// Every id of the program's resources: templates, controls, pictures, icon, strings and the
// about box's menu command. The resource script, the code and the tests all take them from
// here. Plain numbers in #define lines, so that the resource compiler reads them too.
#pragma once

// Dialog templates.
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_ENTRY_EDIT 130
#define IDD_SETTINGS 142
#define IDD_HINT 145

// The program's icon and pictures.
#define IDI_VERROW 128
#define IDB_LIST_FIGURES 129   // the entry list's two figures, 16 pixels wide each
#define IDB_TITLE 132
#define IDB_BUTTON_DRIVE 136
#define IDB_BUTTON_ADD 137     // also the entry editor's file picker button
#define IDB_BUTTON_DEL 138
#define IDB_BUTTON_EDIT 139
#define IDB_BUTTON_RUN 140
#define IDB_BUTTON_CONF 141
#define IDB_BUTTON_FOLDER_ADD 144

// Strings.
#define IDS_ABOUT_MENU 101  // the system menu's item that opens the about box

// The about box's system menu command (the system keeps the low four bits for itself).
#define IDM_ABOUT 0x0010

// Controls without an id of their own.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The main window (IDD_MAIN).
#define IDC_LIST 1000
#define IDC_EDIT 1001
#define IDC_DEL 1002
#define IDC_ADD 1004
#define IDC_RUN 1007
#define IDC_SELECTED_PATH 1008
#define IDC_DRIVE 1011
#define IDC_CONF 1012
#define IDC_FREE_SPACE 1016
#define IDC_TITLE 1029

// The entry editor (IDD_ENTRY_EDIT).
#define IDC_NAME 1003
#define IDC_PATH 1005
#define IDC_PICK_FILE 1006
#define IDC_START_UP 1010
#define IDC_PICK_FOLDER 1015
#define IDC_ENV_LIST 1017
#define IDC_USE_CUSTOM_ENV 1018
#define IDC_ENV_NAME 1020
#define IDC_ENV_VALUE 1021
#define IDC_ENV_APPLY 1022
#define IDC_ENV_ADD 1023
#define IDC_ENV_DELETE 1024
#define IDC_OVERWRITE_ENV 1025
#define IDC_HINT 1026

// The settings dialog (IDD_SETTINGS).
#define IDC_START_OPEN 1013
#define IDC_LIST_STYLE 1014

// The hint window (IDD_HINT).
#define IDC_HINT_TEXT 1028

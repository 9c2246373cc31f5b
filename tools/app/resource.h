// Resource and control ids of tarvik.exe, shared by the resource script, the
// program and the tests that drive its windows.
#pragma once

#define IDI_APP 1
#define IDI_OFF 2

#define IDM_TRAY 100
#define IDM_SETTINGS 101
#define IDM_TOGGLE 102
#define IDM_EXIT 103

#define IDS_TURN_OFF 200
#define IDS_TURN_ON 201

#define IDD_ICONS 300
#define IDD_FRAMES 301
#define IDD_MENU 302
#define IDD_GENERAL 303

// Icons page
#define IDC_SRC_NONE 1001
#define IDC_SRC_FOLDER 1002
#define IDC_SRC_STRIP 1003
#define IDC_SRC_SLOTS 1004
#define IDC_FOLDER 1005
#define IDC_FOLDER_BROWSE 1006
#define IDC_STRIP 1007
#define IDC_STRIP_BROWSE 1008
#define IDC_HOT_STRIP 1009
#define IDC_HOT_STRIP_BROWSE 1010
#define IDC_SLOT_LIST 1011
#define IDC_SLOT_NUMBER 1012
#define IDC_SLOT_SPIN 1013
#define IDC_SLOT_HOT 1014
#define IDC_SLOT_PICK 1015
#define IDC_SLOT_REMOVE 1016
#define IDC_LARGE_SIZE 1017
#define IDC_LARGE_SPIN 1018
#define IDC_SMALL_SIZE 1019
#define IDC_SMALL_SPIN 1020
#define IDC_PREVIEW 1021
#define IDC_PREVIEW_NOTE 1022

// Explorer and Browser pages (one template)
#define IDC_HIDE_LOGO 1101
#define IDC_HIDE_MENU 1102
#define IDC_HIDE_TITLES 1103
#define IDC_HIDE_DROPDOWNS 1104

// Context menu page
#define IDC_MENU_ENABLE 1201
#define IDC_MENU_TITLE 1202
#define IDC_MENU_LIST 1203
#define IDC_ITEM_NEW 1204
#define IDC_ITEM_REMOVE 1205
#define IDC_ITEM_UP 1206
#define IDC_ITEM_DOWN 1207
#define IDC_ITEM_SEPARATOR 1208
#define IDC_ITEM_CAPTION 1209
#define IDC_ITEM_ID 1210
#define IDC_ITEM_OPEN 1211
#define IDC_ITEM_BROWSE 1212
#define IDC_MENU_TOGGLE 1213

// General page
#define IDC_START_AT_LOGON 1301
#define IDC_SETTINGS_PATH 1302
#define IDC_OPEN_FOLDER 1303
#define IDC_VERSION 1304

// The property sheet's own Apply button.
#define IDC_SHEET_APPLY 0x3021

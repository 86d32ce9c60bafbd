// Every resource, control and command id of the program, by name. The numbers are fixed: the
// dialog templates, the menu-bar resource and the code all refer to them.
#pragma once

// Dialogs; the main dialog has a template for each form of screen, with the same controls
#define IDD_MAIN 9
#define IDD_MAIN_LANDSCAPE 10
#define IDD_MAIN_SQUARE 11
#define IDD_ABOUT 105
#define IDD_SMTP_AUTH_PAGE 136
#define IDD_SERVER_PAGE 137

// Menu bar: the menu-bar resource and the menu behind its drop-down share one id.
#define IDR_MENUBAR 134

// Strings
#define IDS_QUIT 103
#define IDS_HELP 104

// Icons
#define IDI_COURIERFIX 101
#define IDI_ABOUT 132

// Main dialog controls
#define IDC_ACCOUNT_LIST 1000
#define IDC_REPAIR 1001
#define IDC_TRACE_LIST 1002
#define IDC_NEXT_ACCOUNT 1010
#define IDC_RESULT_LINE 1016
#define IDC_WEB_ADDRESS 1019
#define IDC_SETTINGS_TABS 1026

// Server page controls
#define IDC_IN_SERVER 1012
#define IDC_OUT_SERVER 1013
#define IDC_PASSWORD 1015

// SMTP authentication page controls
#define IDC_SMTP_USERNAME 1020
#define IDC_SMTP_PASSWORD 1021
#define IDC_SMTP_DOMAIN 1022

// About dialog controls
#define IDC_ABOUT_ICON 201
#define IDC_ABOUT_VERSION 202
#define IDC_ABOUT_NOTICE 203

// Commands: the two soft keys and the items of the right one's drop-down menu
#define IDM_QUIT 40000
#define IDM_OPTIONS 40001
#define IDM_ABOUT 40002
#define IDM_AUTO_REPAIR 32780
#define IDM_REPAIR 32781

// Resources of the shell tests.
#pragma once

#define IDD_TEST_DIALOG 100
#define IDC_TEST_BUTTON 101

#define IDR_TEST_MENUBAR 200
#define IDR_TEST_MENU 200
#define IDR_MISSING_MENU_BAR 201
#define IDR_SHORT_MENUBAR 202

#define IDS_BACK 300
#define IDS_MENU 301

#define IDM_BACK 41000
#define IDM_MENU 41001
#define IDM_FIRST_ITEM 42000
#define IDM_SECOND_ITEM 42001
#define IDM_OTHER_ITEM 42100

#pragma once
#define IDD_TEST_DIALOG 9001
#define IDC_TEST_EDIT 9002

// A child dialog whose controls follow its size.
#define IDD_TEST_RESIZE 9010
#define IDC_RESIZE_FIXED 9011
#define IDC_RESIZE_MOVE_X 9012
#define IDC_RESIZE_SIZE_X 9013
#define IDC_RESIZE_SIZE_XY 9014
#define IDC_RESIZE_MOVE_X_SIZE_Y 9015

// Status bar pane widths come from the strings with the panes' ids.
#define IDS_TEST_PANE_NARROW 9101
#define IDS_TEST_PANE_WIDE 9102
#define IDS_TEST_COMMAND 9103

#define IDR_TEST_TOOLBAR 9201
#define ID_TEST_FIRST 9202
#define ID_TEST_SECOND 9203

// Dialog templates and their control ids.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1) /* labels, group boxes and icons that code never addresses */
#endif

#define IDD_ABOUTBOX 100
#define IDC_ABOUT_LINK 1046
#define IDC_ABOUT_PRODUCT 1047 /* "Quillon <version>", the version read from the version resource */

// The search view (form above, results list below).
#define IDD_KELDRAWTL_FORM 129
#define IDC_SEARCH_TEXT 1001   /* editable combo, search text history */
#define IDC_SEARCH_BUTTON 1002 /* "Search" / "Stop" */
#define IDC_LOOKIN 1003        /* editable combo, look-in history */
#define IDC_HIDDEN_BUTTON 1004 /* hidden, no function */
#define IDC_RESULTS_LIST 1005  /* list view subclassed as the results list */
#define IDC_SEARCH_MODE 1006   /* drop-down list of search modes */
#define IDC_OPTIONS_TREE 1009  /* tree view subclassed as the options tree */
#define IDC_SPACER 1010        /* hidden spacer between list and tree */
#define IDC_SEARCH_LABEL 1011  /* label in front of the search text */
#define IDC_PROGRESS 1025      /* search progress bar */
#define IDC_MODIFIED_FROM 1026 /* "Modified Date From" */
#define IDC_MODIFIED_TO 1027   /* "To" */
#define IDC_EXCLUDE_CHECK 1028 /* "Exclude Keys" */
#define IDC_EXCLUDE 1034       /* editable combo, exclude history */
#define IDC_FROM_DATE 1035
#define IDC_FROM_TIME 1036
#define IDC_TO_DATE 1037
#define IDC_TO_TIME 1038

// The key browser tree inside the main frame's pane container.
#define IDC_KEY_BROWSER_TREE 1013

// Preferences.
#define IDD_PREFERENCES 214
#define IDC_PREF_STOP_ON_LIMIT 1026
#define IDC_PREF_STOP_LIMIT 1027
#define IDC_PREF_UNICODE_BINARY 1028
#define IDC_PREF_KEY_TREE 1029
#define IDC_PREF_LINE_NUMBERS 1040
#define IDC_PREF_FONT 1012
#define IDC_PREF_CLEAR_HISTORY 1044
#define IDC_PREF_RIBBON 1045
#define IDC_PREF_SEARCH_AS_YOU_TYPE 1048
#define IDC_PREF_SNAPSHOT_BUDGET 1049

// Please wait.
#define IDD_PROGRESS 215
#define IDC_PROGRESS_TEXT 1011

// Command ids shared by menus, toolbar, accelerators and the ribbon. Usable from C++ and .rc files.
#pragma once

#define ID_FILE_OPEN_REGEDIT 57601        /* "&Open RegEdit..." (Ctrl+O) */
#define ID_FILE_SAVE 57603                /* "&Save" (Ctrl+S) */
#define ID_FILE_EXPORT 32775              /* "Export as .REG" */
#define ID_FILE_OPEN_ASADMIN 32803        /* "Open as Administrator" */
#define ID_APP_EXIT 57665                 /* "E&xit" */
#define ID_EDIT_DELETE_SELECTED 32779     /* "Delete Selected Value" */
#define ID_EDIT_DELETE_KEY_SELECTED 32799 /* "Delete Selected Key" */
#define ID_EDIT_REMOVE_SELECTED 32784     /* "Remove from list" */
#define ID_EDIT_COPY 57634                /* "Copy Selected Key" (Ctrl+C) */
#define ID_EDIT_COPY_SELECTED 32785       /* "&Copy Selected  item" */
#define ID_EDIT_COPY_VALUE 32805          /* "Copy Selected Value Name" (context menu) */
#define ID_EDIT_DELETE_CHECKED 32819      /* Checked Items, "Delete item(s)" (Shift+Delete) */
#define ID_EDIT_REMOVE 32780              /* Checked Items, "Remove from list" */
#define ID_EDIT_PREFERENCES 32804         /* "Preferences..." */
#define ID_EDIT_SHOW_SEARCH_LOG 32820     /* "Show Search Log" */
#define ID_VIEW_TOOLBAR 59392             /* "&Toolbar" */
#define ID_VIEW_STATUS_BAR 59393          /* "&Status Bar" */
#define ID_VIEW_TREEPANE 32802            /* "Key Browser Pane" (Ctrl+K) */
#define ID_VIEW_RIBBON 59396              /* Ctrl+R */
#define ID_EDIT_MARK_ALL 32787            /* "Check All" (Ctrl+A) */
#define ID_EDIT_MARK_NONE 32789           /* "Uncheck All" */
#define ID_EDIT_MARK_INVERT 32790         /* "Invert Checks" */
#define ID_VIEW_REFRESH 59395             /* "Refresh" (F5) */
#define ID_HELP_HELP 32816                /* "Help" (F1) */
#define ID_APP_ABOUT 57664                /* "&About..." */
#define ID_PANE_CLOSE 57682               /* the pane container's close button */
#define ID_OPEN_FILE_LOCATION 32791       /* "Open file location" (context menu) */
#define ID_GOTO_KEY_BROWSER 32815         /* "Goto this key in Key Browser" (context menu) */
#define ID_RIBBON_REMOVE 2                /* ribbon drop-down "Remove from list" */

// Options-tree context menu (menu 216).
#define ID_TREE_CHECK_HIVES 32809
#define ID_TREE_UNCHECK_HIVES 32810
#define ID_TREE_INVERT_HIVES 32811
#define ID_TREE_CHECK_TYPES 32812
#define ID_TREE_UNCHECK_TYPES 32813
#define ID_TREE_INVERT_TYPES 32814
#define ID_TREE_CHOOSE_HIVE_FILE 32825 /* "Choose Hive File..." */

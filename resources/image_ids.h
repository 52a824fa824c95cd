// Bitmaps, icons, menus, toolbar and accelerator ids.
#pragma once

#define IDR_MAINFRAME 128    /* menu, accelerators, toolbar, program icon, product-name string */
#define IDR_RESULTS_MENU 212 /* results context menu */
#define IDR_OPTIONS_MENU 216 /* options-tree context menu */

#define IDB_LIST_IMAGES 203   /* the results list's own default image list */
#define IDB_OPTION_IMAGES 206 /* options-tree item images */
#define IDB_TYPE_ICONS 231    /* type icons: 0 key, 1 string, 2 binary */
#define IDI_SEARCH 207        /* Search button */
#define IDI_STOP 208          /* Stop button */

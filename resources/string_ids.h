// String-table ids (besides the command prompts, which use the command ids).
#pragma once

#define IDS_PRODUCT_NAME 128      /* "Quillon" */
#define IDS_PANE_MODIFIED 129     /* status pane 129's initial text */
#define IDS_PANE_TOTALS 211       /* status pane 211's initial text */
#define IDS_PANE_MATCHES 212      /* status pane 212's initial text */
#define ATL_IDS_IDLEMESSAGE 57345 /* "Ready (F1 for help)" */

// Texts of the main frame.
#define IDS_SCANNING 301             /* "Scanning..." */
#define IDS_SCAN_CANCELLED 302       /* "Scan cancelled" */
#define IDS_SCAN_FINISHED 303        /* "Scan Finished (%lu sec)" */
#define IDS_KEY_BROWSER 304          /* "Key Browser": pane title and message-box caption */
#define IDS_KEY_BROWSER_DISABLED 305 /* "Key Browser is disabled.\nDo you want to enable it?" */
#define IDS_ADMIN_PREFIX 306         /* "Administrator: " before the product name in the title */
#define IDS_SCAN_PROBLEMS 307        /* " - %lu problem(s), see the search log" after the end-of-search text */
#define IDS_NO_SEARCH_LOG 308        /* Show Search Log before any search wrote its log */

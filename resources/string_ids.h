// String-table ids (besides the command prompts, which use the command ids).
#pragma once

#define IDS_PRODUCT_NAME 128     /* "Quillon" */
#define IDS_PANE_MODIFIED 129    /* status pane 129's initial text */
#define IDS_PANE_TOTALS 211      /* status pane 211's initial text */
#define IDS_PANE_MATCHES 212     /* status pane 212's initial text */
#define ATL_IDS_IDLEMESSAGE 57345 /* "Ready (F1 for help)" */

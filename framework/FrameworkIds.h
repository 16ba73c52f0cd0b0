/* The framework's standard command, string, window and message ids. Plain defines
   so that resource scripts can use them too. */
#pragma once

#define ID_APP_EXIT 57665
#define ID_APP_ABOUT 57664
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

#define IDS_APP_TITLE 57344
#define IDS_IDLE_MESSAGE 57345

#define IDW_PANE_FIRST 0xE900
#define IDW_TOOLBAR 0xE800
#define IDW_STATUS_BAR 0xE801

/* The status line's message: wParam a string id (its prompt), or 0 and lParam the text. */
#define WM_SETMESSAGESTRING 0x0362

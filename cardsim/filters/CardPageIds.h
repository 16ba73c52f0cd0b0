/* Resource ids of ZelvanSim.dll's property pages. */
#pragma once

#define IDD_CARD_PAGE 100
#define IDC_CARD_PAGE_TEXT 1000
#define IDS_DECODER_PAGE_TITLE 100
#define IDS_CROSSBAR_PAGE_TITLE 101
#define IDS_STREAM_FORMAT_PAGE_TITLE 102

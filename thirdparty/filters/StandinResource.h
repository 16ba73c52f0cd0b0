// Resource identifiers of StandinCodecs.dll.
#pragma once

#define IDD_G711_PAGE 100
#define IDD_MJPEG_CONFIG 101
#define IDS_G711_PAGE_TITLE 200
#define IDC_G711_STATE 1000
#define IDC_MJPEG_QUALITY 1001
#define IDC_MJPEG_QUALITY_SPIN 1002

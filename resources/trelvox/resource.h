// Resource identifiers of Trelvox.dll: its four property pages.
#pragma once

// Dialogs
#define IDD_MUX_COMMON 400
#define IDD_MUX_AVI1 401
#define IDD_MUX_STATISTICS 402
#define IDD_MUX_TIMESHIFT 403

// Page titles
#define IDS_MUX_COMMON_TITLE 400
#define IDS_MUX_AVI1_TITLE 401
#define IDS_MUX_STATISTICS_TITLE 402
#define IDS_MUX_TIMESHIFT_TITLE 403

// List items, numbered from the first item of each list
#define IDS_TIME_PROPERTY_FIRST 410  // none, time stamp, media time
#define IDS_VIDEO_DELAY_FIRST 420    // delay time, null frame, full+null, reference time change
#define IDS_AUDIO_DELAY_FIRST 430    // delay time, reference time change, null frame
#define IDS_MUX_MODE_FIRST 440       // AVI1, AVI2
#define IDS_SPLIT_MODE_FIRST 450     // file size, frame count, key frame count

// AVI 1 page
#define IDC_MAX_FILES 1300
#define IDC_MAX_FILE_SIZE 1301
#define IDC_FIRST_FRAME_NOT_DROPPED 1302
#define IDC_SPLIT_MODE 1303
#define IDC_SPLIT_COUNT_VIDEO 1304
#define IDC_SPLIT_COUNT_AUDIO 1305

// Common page
#define IDC_VIDEO_BUFFER_COUNT 1306
#define IDC_DROP_THRESHOLD 1307
#define IDC_FORCED_AUDIO_SYNC 1308
#define IDC_DRIFT_ENABLED 1309
#define IDC_DRIFT_THRESHOLD 1310
#define IDC_DRIFT_SENSITIVITY 1311
#define IDC_DRIFT_START_TIME 1312
#define IDC_TIME_PROPERTY_VIDEO 1313
#define IDC_TIME_PROPERTY_AUDIO 1314
#define IDC_DELAY_VIDEO 1315
#define IDC_DELAY_AUDIO 1316
#define IDC_MUX_MODE 1317
#define IDC_PROTECT 1326
#define IDC_WRITE_COUNT 1327

// Statistics page
#define IDC_STAT_VIDEO_FRAMES 1318
#define IDC_STAT_AUDIO_BUFFERS 1319
#define IDC_STAT_DROPPED_FRAMES 1320
#define IDC_STAT_AUDIO_BLOCKS 1321
#define IDC_STAT_INSERTED_FRAMES 1322
#define IDC_STAT_DELETED_FRAMES 1323
#define IDC_STAT_VIDEO_RATE 1324
#define IDC_STAT_AUDIO_FREQUENCY 1325

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

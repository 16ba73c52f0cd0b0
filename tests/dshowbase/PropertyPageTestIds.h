#pragma once

#define IDD_TEST_PAGE 100
#define IDC_TEST_EDIT 1001
#define IDS_TEST_PAGE_TITLE 101

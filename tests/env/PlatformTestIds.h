#pragma once
#define IDS_JAPANESE_SAMPLE 1000

// "タイムシフト": the page of the time-shift playback, which only says "準備中" so far.
#pragma once

#include "IMuxTimeShift.h"
#include "MuxPropertyPage.h"

class MuxTimeShiftPage : public MuxPropertyPage<IMuxTimeShift> {
public:
    explicit MuxTimeShiftPage(LPUNKNOWN outer);
};

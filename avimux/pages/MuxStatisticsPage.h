// "統計": the counts and rates of the current (or last) recording, read at every activation.
#pragma once

#include "IMuxConfig.h"
#include "MuxPropertyPage.h"

class MuxStatisticsPage : public MuxPropertyPage<IMuxConfig> {
public:
    explicit MuxStatisticsPage(LPUNKNOWN outer);

private:
    void FillControls() override;
};

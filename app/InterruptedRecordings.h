// At start-up, before the preview: the recordings that a crash or a power cut
// interrupted are offered for repair. Yes repairs them in place, No asks again at the
// next start, Cancel forgets them; a recording whose files are gone is forgotten
// without asking.
#pragma once

class ProfileStore;

void OfferRepairOfInterruptedRecordings(ProfileStore& profile);

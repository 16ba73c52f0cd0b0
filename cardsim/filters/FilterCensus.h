// Counts the card's filters alive in this process and logs every change to
// filters.log, so a test can tell whether a program released all it made.
#pragma once

namespace cardsim {

class FilterCensus {
public:
    explicit FilterCensus(const char* filterName);
    ~FilterCensus();
    FilterCensus(const FilterCensus&) = delete;
    FilterCensus& operator=(const FilterCensus&) = delete;

private:
    const char* name_;
};

}  // namespace cardsim

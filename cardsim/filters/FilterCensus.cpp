#include "FilterCensus.h"

#include "RegistryControl.h"

#include <atomic>
#include <string>

namespace cardsim {
namespace {

std::atomic<long> alive{0};

// "<process id> created capture filter, 1 alive"
void Log(const char* event, const char* name, long count)
{
    AppendLogLine(L"filters.log", std::to_string(GetCurrentProcessId()) + " " + event + " " + name + ", " +
                                      std::to_string(count) + " alive");
}

}  // namespace

FilterCensus::FilterCensus(const char* filterName) : name_(filterName)
{
    Log("created", name_, ++alive);
}

FilterCensus::~FilterCensus()
{
    Log("released", name_, --alive);
}

}  // namespace cardsim

// The kernel-streaming proxy of a real card connects the card's crossbar to its capture filter
// as soon as both are in one graph; the simulated filters do the same when they join a graph.
#pragma once

#include <windows.h>
#include <dshow.h>

namespace cardsim {

// Connects the crossbar's video decoder output to the capture filter's analog video input
// when the graph (with the joining filter, which may not be listed yet) holds both.
void LinkCrossbarToCapture(IFilterGraph* graph, IBaseFilter* joining);

}  // namespace cardsim

// Records an endless test stream into the multiplexer until the process is killed.
// Usage: trelvox_record_child <output name without extension>
#include <cstdio>

#include "MuxGraphSupport.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IBaseFilter> mux;
    ComPtr<IFileSinkFilter> sink;
    if (FAILED(BindMuxByMoniker(&mux)) || FAILED(mux.As(&sink)) || FAILED(sink->SetFileName(argv[1], nullptr)))
        return 3;
    StreamPlan endless;
    endless.count = -1;
    MuxTestSource* source = MuxTestSource::Create(720, 480, endless, endless);
    ComPtr<IBaseFilter> sourceRef = source;
    MuxGraph graph;
    if (FAILED(graph.Build(source, mux.Get())) || FAILED(graph.control->Run()))
        return 4;
    for (;;)
        Sleep(1000);
}

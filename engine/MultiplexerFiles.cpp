#include "MultiplexerFiles.h"

#include "../avimux/IMuxConfig.h"
#include "../avimux/core/MuxMode.h"
#include "../dshowbase/TaskMemory.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace engine {

std::optional<MultiplexerFiles> TrelvoxFilesOf(IBaseFilter* multiplexer)
{
    ComPtr<IMuxConfig> config;
    ComPtr<IFileSinkFilter> sink;
    if (!multiplexer || FAILED(multiplexer->QueryInterface(IID_PPV_ARGS(&config))) ||
        FAILED(multiplexer->QueryInterface(IID_PPV_ARGS(&sink))))
        return std::nullopt;
    DWORD mode = 0;
    CTaskMemory<wchar_t> base;
    if (FAILED(config->GetMuxMode(&mode)) || FAILED(sink->GetCurFile(base.Out(), nullptr)) || !base)
        return std::nullopt;
    return MultiplexerFiles{base.Get(), static_cast<trelvox::MuxMode>(mode) == trelvox::MuxMode::Avi1FileSet};
}

}  // namespace engine

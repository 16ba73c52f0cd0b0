#include "MuxFileLayout.h"

#include "Avi1FileSetLayout.h"
#include "OpenDmlFileLayout.h"

namespace trelvox {

HResult CreateFileLayout(MuxFileSystem& fs, const LayoutSetup& setup, StartsSource starts,
                         std::unique_ptr<MuxFileLayout>* layout)
{
    HResult hr = kE_INVALIDARG;
    switch (setup.settings.muxMode) {
    case MuxMode::Avi1FileSet: {
        auto files = std::make_unique<Avi1FileSetLayout>();
        hr = files->Create(fs, setup, std::move(starts));
        if (Succeeded(hr))
            *layout = std::move(files);
        break;
    }
    case MuxMode::OpenDml: {
        auto file = std::make_unique<OpenDmlFileLayout>();
        hr = file->Create(fs, setup);
        if (Succeeded(hr))
            *layout = std::move(file);
        break;
    }
    }
    return hr;
}

}  // namespace trelvox

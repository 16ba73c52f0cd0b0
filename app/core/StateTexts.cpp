#include "StateTexts.h"

namespace {

template <size_t N>
std::wstring Pick(const wchar_t* const (&names)[N], int index, const wchar_t* otherwise)
{
    return index >= 0 && static_cast<size_t>(index) < N ? names[index] : otherwise;
}

}  // namespace

std::wstring StateText(engine::EngineState engineState)
{
    switch (engineState) {
    case engine::kPreviewing:
        return L"プレビュー中";
    case engine::kRecording:
        return L"録画中";
    case engine::kDetecting:
        return L"信号検出中";
    default:
        return L"停止中";
    }
}

std::wstring InputFormatText(engine::EngineState engineState, int inputFormat)
{
    if (engineState == engine::kDetecting)
        return L"Detecting";
    static const wchar_t* const names[] = {L"No Signal.", L"480i", L"480p", L"1080i", L"720p", L"1080p"};
    return Pick(names, inputFormat, L"No Signal.");
}

std::wstring AspectText(int aspectMode)
{
    static const wchar_t* const names[] = {L"Free", L"4:3", L"4:3LB", L"16:9", L"16:9PAN", L"16:9ZOOM"};
    return Pick(names, aspectMode, L"Unknown");
}

std::wstring RendererText(engine::VideoRendererKind rendererKind)
{
    static const wchar_t* const names[] = {L"N/A", L"オーバーレイ", L"VMR7", L"VMR9"};
    return Pick(names, static_cast<int>(rendererKind), L"N/A");
}

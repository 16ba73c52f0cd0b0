// The names the main window and the information bar show for the engine's state,
// the input format and the display aspect.
#pragma once

#include <string>

#include "EngineState.h"
#include "VideoRendererKind.h"

// "プレビュー中", "録画中", "信号検出中" or "停止中".
std::wstring StateText(engine::EngineState engineState);
// Pane 101: "Detecting" while detecting, else the input format's name or "No Signal.".
std::wstring InputFormatText(engine::EngineState engineState, int inputFormat);
// Pane 102: "Free", "4:3", ... or "Unknown".
std::wstring AspectText(int aspectMode);
// The information bar's renderer name: "オーバーレイ", "VMR7", "VMR9" or "N/A".
std::wstring RendererText(engine::VideoRendererKind rendererKind);

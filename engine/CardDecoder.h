// The card's video decoder: where the current input format is read and reset.
#pragma once

#include <windows.h>
#include <dshow.h>

// The current input as a row of the input format table; 0 without a decoder.
int ReadInputFormat(IBaseFilter* captureFilter);

// Puts the decoder back to its NTSC-M-J TV format before a run.
HRESULT ResetDecoder(IBaseFilter* captureFilter);

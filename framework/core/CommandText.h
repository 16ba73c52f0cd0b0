// A command's string holds its status-line prompt and its tooltip: "prompt\ntooltip".
#pragma once

#include <string>

std::wstring CommandPrompt(const std::wstring& text);
std::wstring CommandTooltip(const std::wstring& text);

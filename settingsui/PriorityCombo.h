// The process priority combo (1045) of the record and preview pages.
#pragma once

#include <windows.h>

void FillPriorityCombo(HWND page);
// A class that matches no item selects the first.
void SelectPriority(HWND page, unsigned priorityClass);
// 32 when nothing is selected.
unsigned SelectedPriority(HWND page);

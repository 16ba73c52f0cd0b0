// GDI+ for the whole process: started once at start-up, shut down at exit.
#pragma once

// Without its own background thread; the notification hook is called instead.
// A failure is not reported: saving still images then fails on its own.
void StartGdiPlus();
void ShutdownGdiPlus();

// Where the renderer's video window sits inside the view: the box in the
// aspect ratio, the main window's fit to a scaled video size, sizing in the
// aspect ratio, and full-screen mode.
#pragma once

#include "GraphParts.h"

class VideoPlacement {
public:
    explicit VideoPlacement(GraphParts& parts) : parts_(parts) {}

    void SetView(HWND view) { view_ = view; }
    // Makes the graph's video window a child of the view, placed and shown.
    void Show(int aspectMode);
    // Tear-down: leaves full screen, gives the window up and releases it.
    void Release(int aspectMode);

    void Place(int aspectMode);
    // `resizing` is 1 while the main window is resized from here.
    void Fit(bool force, int aspectMode, int scaleMode, int& resizing);
    bool Constrain(int edge, int aspectMode, SIZE& area) const;
    // The preview pin's picture at the aspect and scale; false without a format.
    bool VideoBoxSize(int aspectMode, int scaleMode, SIZE& size) const;
    HRESULT SetFullScreen(bool on, int aspectMode);
    bool IsFullScreen() const;
    void LeaveFullScreen(int aspectMode);

private:
    void ReattachVideoWindow(int aspectMode);

    GraphParts& parts_;
    HWND view_ = nullptr;
};

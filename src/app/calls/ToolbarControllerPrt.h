#pragma once

// What the video window tells the toolbar: whether it is shown (the toolbar's video button
// follows).
class ToolbarControllerPrt {
public:
    virtual ~ToolbarControllerPrt() = default;
    virtual void setVideoState(bool shown) = 0;
};

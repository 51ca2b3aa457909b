#pragma once

#include "platform/kit/Window.h"

#include <memory>

// The window that shows a video call. One is shared by every call; it is made when first
// needed and released at shutdown. So far only what the application core calls of it.
class VideoWindow : public platform::Window {
public:
    VideoWindow();

    static bool videoWindowExist();
    // Made on first use.
    static VideoWindow& sharedVideoWindow();
    static void sharedVideoWindowRelease();
};

#pragma once

#include "engine/VideoFrameSource.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// A Video4Linux capture device read on a thread of its own: the device's packed YUYV pictures
// (which every webcam offers) are turned into frames and handed to the main run loop, the
// newest only when the loop falls behind.
class V4L2Camera : public VideoFrameSource {
public:
    // The capture devices of the machine (/dev/video*), in name order.
    static std::vector<std::filesystem::path> devices();

    explicit V4L2Camera(std::filesystem::path device, int width = 640, int height = 480);
    ~V4L2Camera() override;

    // Opens the device and starts streaming; false with the reason when it is no capture
    // device that streams YUYV, or cannot be opened.
    bool start(Deliver deliver, std::string* whyNot = nullptr) override;
    void stop() override;
    std::string description() const override;

private:
    struct Buffer {
        void* start = nullptr;
        std::size_t length = 0;
    };
    bool open(std::string* whyNot);
    void close();
    void capture();

    std::filesystem::path device_;
    std::string cardName_;
    int width_;
    int height_;
    std::size_t bytesPerLine_ = 0;
    int fd_ = -1;
    std::vector<Buffer> buffers_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    // Frames handed to the main loop and not yet delivered there; at most one waits.
    std::shared_ptr<std::atomic<int>> inFlight_ = std::make_shared<std::atomic<int>>(0);
    // Cleared by stop(), so that a frame posted before it is not delivered after it.
    std::shared_ptr<Deliver> deliver_;
};

#pragma once

#include "engine/VideoFrameSource.h"
#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <memory>
#include <vector>

// A moving test picture at a steady frame rate, made on the main run loop: colour bars that
// drift sideways, a bright square that bounces across them and a strip of frame-counter marks
// along the bottom, so that a still or torn picture shows at once. The look varies with
// `style` (the camera stand-in and the far end of a call differ).
class TestPatternSource : public VideoFrameSource {
public:
    enum class Style { camera, remote };

    TestPatternSource(int width, int height, double framesPerSecond, Style style);
    ~TestPatternSource() override;

    bool start(Deliver deliver, std::string* whyNot = nullptr) override;
    void stop() override;
    std::string description() const override { return "test picture"; }

    // The picture of frame number `n`, into `frame` (already sized).
    void drawFrame(std::uint64_t n, VideoFrame& frame) const;
    std::uint64_t framesMade() const { return frameNumber_; }

private:
    void tick();
    // A frame buffer nobody else holds, so that a steady stream does not allocate.
    std::shared_ptr<VideoFrame> freeBuffer();

    int width_;
    int height_;
    double interval_;
    Style style_;
    Deliver deliver_;
    std::shared_ptr<platform::Timer> timer_;
    std::uint64_t frameNumber_ = 0;
    std::vector<std::shared_ptr<VideoFrame>> buffers_;
    // The colour bars of one row, made once.
    std::vector<std::uint32_t> bars_;
};

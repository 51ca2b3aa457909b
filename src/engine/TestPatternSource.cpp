#include "engine/TestPatternSource.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t rgb(unsigned r, unsigned g, unsigned b) {
    return 0xff000000u | (r << 16) | (g << 8) | b;
}

// A position that goes back and forth over 0..range, `speed` units a frame.
int bounce(std::uint64_t n, int speed, int range) {
    if (range <= 0) {
        return 0;
    }
    const auto period = static_cast<std::uint64_t>(2 * range);
    const auto p = static_cast<int>((n * static_cast<std::uint64_t>(speed)) % period);
    return p <= range ? p : 2 * range - p;
}

} // namespace

TestPatternSource::TestPatternSource(int width, int height, double framesPerSecond, Style style)
    : width_(std::max(width, 16)), height_(std::max(height, 16)),
      interval_(1.0 / std::max(framesPerSecond, 1.0)), style_(style) {
    static constexpr std::uint32_t cameraBars[] = {
        rgb(192, 192, 192), rgb(192, 192, 0), rgb(0, 192, 192), rgb(0, 192, 0),
        rgb(192, 0, 192),   rgb(192, 0, 0),   rgb(0, 0, 192),   rgb(32, 32, 32)};
    static constexpr std::uint32_t remoteBars[] = {
        rgb(24, 48, 96),   rgb(40, 80, 140), rgb(60, 110, 170), rgb(90, 140, 190),
        rgb(60, 110, 170), rgb(40, 80, 140), rgb(24, 48, 96),   rgb(16, 32, 64)};
    const auto* bars = style_ == Style::camera ? cameraBars : remoteBars;
    // Two widths, so that a drifting window of one width can always be copied in one go.
    bars_.resize(static_cast<std::size_t>(width_) * 2);
    const int barWidth = std::max(width_ / 8, 1);
    for (int x = 0; x < width_ * 2; ++x) {
        bars_[static_cast<std::size_t>(x)] = bars[(x / barWidth) % 8];
    }
}

TestPatternSource::~TestPatternSource() {
    stop();
}

bool TestPatternSource::start(Deliver deliver, std::string* /*whyNot*/) {
    stop();
    deliver_ = std::move(deliver);
    timer_ = platform::Timer::scheduledTimerWithTimeInterval(interval_, true,
                                                             [this](platform::Timer&) { tick(); });
    return true;
}

void TestPatternSource::stop() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    deliver_ = nullptr;
}

std::shared_ptr<VideoFrame> TestPatternSource::freeBuffer() {
    for (const auto& buffer : buffers_) {
        if (buffer.use_count() == 1) {
            return buffer;
        }
    }
    buffers_.push_back(std::make_shared<VideoFrame>(width_, height_));
    return buffers_.back();
}

void TestPatternSource::tick() {
    auto frame = freeBuffer();
    drawFrame(frameNumber_++, *frame);
    if (deliver_) {
        // The callback may stop this source; the frame stays alive through it.
        auto deliver = deliver_;
        deliver(std::move(frame));
    }
}

void TestPatternSource::drawFrame(std::uint64_t n, VideoFrame& frame) const {
    if (frame.width != width_ || frame.height != height_) {
        frame = VideoFrame(width_, height_);
    }
    const int drift = static_cast<int>((n * 2) % static_cast<std::uint64_t>(width_));
    const int side = std::max(std::min(width_, height_) / 5, 4);
    const int squareX = bounce(n, 7, width_ - side);
    const int squareY = bounce(n, 5, height_ - side);
    const std::uint32_t square = style_ == Style::camera ? rgb(255, 255, 255) : rgb(255, 200, 40);
    const int stripTop = height_ - std::max(height_ / 24, 2);
    const int markWidth = std::max(width_ / 32, 1);
    auto* pixels = frame.pixels.data();
    for (int y = 0; y < height_; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width_;
        std::memcpy(row, bars_.data() + drift, static_cast<std::size_t>(width_) * 4);
        if (y >= squareY && y < squareY + side) {
            std::fill(row + squareX, row + squareX + side, square);
        }
        if (y >= stripTop) {
            // The frame number in binary, one mark a bit, lowest bit on the left.
            for (int bit = 0; bit < 32 && (bit + 1) * markWidth <= width_; ++bit) {
                const bool on = (n >> bit) & 1u;
                std::fill(row + bit * markWidth, row + (bit + 1) * markWidth,
                          on ? rgb(255, 255, 255) : rgb(0, 0, 0));
            }
        }
    }
}

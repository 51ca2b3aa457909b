#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace graphics_test {

// An off-screen context made current for the test's lifetime.
class Canvas {
public:
    Canvas(int width, int height, bool flipped = false)
        : context_(platform::GraphicsContext::bitmapContext(width, height, 1.0, flipped)),
          scope_(*context_) {}

    platform::GraphicsContext& context() { return *context_; }
    // The pixel at (x, y), (0, 0) being the bottom-left pixel.
    platform::Color at(int x, int y) {
        context_->flush();
        if (!image_)
            image_ = context_->makeImage();
        return image_->colorAt(x, y);
    }
    // Call after drawing more, before reading pixels again.
    void touch() { image_.reset(); }

private:
    std::unique_ptr<platform::GraphicsContext> context_;
    platform::ContextScope scope_;
    std::shared_ptr<platform::Image> image_;
};

inline ::testing::AssertionResult
colorNear(const platform::Color& actual, const platform::Color& expected, double tolerance = 0.02) {
    const double d = std::max({std::abs(actual.redComponent() - expected.redComponent()),
                               std::abs(actual.greenComponent() - expected.greenComponent()),
                               std::abs(actual.blueComponent() - expected.blueComponent()),
                               std::abs(actual.alphaComponent() - expected.alphaComponent())});
    if (d <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.description() << " is not within " << tolerance
                                         << " of " << expected.description();
}

// A fresh folder below LUMIQ_TEST_TMP (or the system's temporary folder), removed afterwards.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const char* root = std::getenv("LUMIQ_TEST_TMP");
        std::filesystem::path base =
            root && *root ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
        path_ = base / ("graphics-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace graphics_test

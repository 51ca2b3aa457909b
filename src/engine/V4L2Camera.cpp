#include "engine/V4L2Camera.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

int xioctl(int fd, unsigned long request, void* arg) {
    int result;
    do {
        result = ioctl(fd, request, arg);
    } while (result == -1 && errno == EINTR);
    return result;
}

std::uint8_t clamp255(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// ITU-R BT.601 limited range, in integers.
std::uint32_t yuvToArgb(int y, int u, int v) {
    const int c = y - 16;
    const int d = u - 128;
    const int e = v - 128;
    const int r = (298 * c + 409 * e + 128) >> 8;
    const int g = (298 * c - 100 * d - 208 * e + 128) >> 8;
    const int b = (298 * c + 516 * d + 128) >> 8;
    return 0xff000000u | (std::uint32_t{clamp255(r)} << 16) | (std::uint32_t{clamp255(g)} << 8) |
           clamp255(b);
}

void yuyvToFrame(const std::uint8_t* in, std::size_t bytesPerLine, VideoFrame& frame) {
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* src = in + static_cast<std::size_t>(y) * bytesPerLine;
        std::uint32_t* dst = frame.pixels.data() + static_cast<std::size_t>(y) * frame.width;
        for (int x = 0; x + 1 < frame.width; x += 2, src += 4) {
            dst[x] = yuvToArgb(src[0], src[1], src[3]);
            dst[x + 1] = yuvToArgb(src[2], src[1], src[3]);
        }
    }
}

} // namespace

std::vector<std::filesystem::path> V4L2Camera::devices() {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const auto name = entry.path().filename().string();
        if (name.rfind("video", 0) == 0) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

V4L2Camera::V4L2Camera(std::filesystem::path device, int width, int height)
    : device_(std::move(device)), width_(width), height_(height) {}

V4L2Camera::~V4L2Camera() {
    stop();
}

std::string V4L2Camera::description() const {
    return cardName_.empty() ? device_.string() : cardName_ + " (" + device_.string() + ")";
}

bool V4L2Camera::open(std::string* whyNot) {
    auto fail = [&](const std::string& reason) {
        if (whyNot) {
            *whyNot = device_.string() + ": " + reason;
        }
        close();
        return false;
    };
    fd_ = ::open(device_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return fail(std::strerror(errno));
    }
    v4l2_capability capability{};
    if (xioctl(fd_, VIDIOC_QUERYCAP, &capability) == -1) {
        return fail("not a Video4Linux device");
    }
    const auto caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                       : capability.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING)) {
        return fail("not a streaming capture device");
    }
    cardName_.assign(
        reinterpret_cast<const char*>(capability.card),
        strnlen(reinterpret_cast<const char*>(capability.card), sizeof capability.card));
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = static_cast<std::uint32_t>(width_);
    format.fmt.pix.height = static_cast<std::uint32_t>(height_);
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_YUYV;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (xioctl(fd_, VIDIOC_S_FMT, &format) == -1 ||
        format.fmt.pix.pixelformat != V4L2_PIX_FMT_YUYV) {
        return fail("does not offer YUYV pictures");
    }
    width_ = static_cast<int>(format.fmt.pix.width);
    height_ = static_cast<int>(format.fmt.pix.height);
    const auto bytesPerLine =
        std::max<std::size_t>(format.fmt.pix.bytesperline, static_cast<std::size_t>(width_) * 2);
    if (width_ < 2 || height_ < 1 || format.fmt.pix.sizeimage < bytesPerLine * height_) {
        return fail("reports an unusable picture size");
    }
    bytesPerLine_ = bytesPerLine;
    v4l2_requestbuffers request{};
    request.count = 4;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (xioctl(fd_, VIDIOC_REQBUFS, &request) == -1 || request.count < 2) {
        return fail("cannot share capture buffers");
    }
    for (std::uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (xioctl(fd_, VIDIOC_QUERYBUF, &buffer) == -1) {
            return fail("cannot share capture buffers");
        }
        void* start =
            mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, buffer.m.offset);
        if (start == MAP_FAILED) {
            return fail("cannot map capture buffers");
        }
        buffers_.push_back({start, buffer.length});
        if (xioctl(fd_, VIDIOC_QBUF, &buffer) == -1) {
            return fail("cannot queue capture buffers");
        }
    }
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (xioctl(fd_, VIDIOC_STREAMON, &type) == -1) {
        return fail(std::string("cannot start streaming: ") + std::strerror(errno));
    }
    return true;
}

void V4L2Camera::close() {
    if (fd_ >= 0) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        xioctl(fd_, VIDIOC_STREAMOFF, &type);
    }
    for (const auto& buffer : buffers_) {
        munmap(buffer.start, buffer.length);
    }
    buffers_.clear();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool V4L2Camera::start(Deliver deliver, std::string* whyNot) {
    stop();
    if (!open(whyNot)) {
        return false;
    }
    deliver_ = std::make_shared<Deliver>(std::move(deliver));
    running_ = true;
    thread_ = std::thread([this] { capture(); });
    return true;
}

void V4L2Camera::stop() {
    running_ = false;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (deliver_) {
        *deliver_ = nullptr;
        deliver_.reset();
    }
    close();
}

void V4L2Camera::capture() {
    const std::size_t bytesPerLine = bytesPerLine_;
    std::weak_ptr<Deliver> deliver = deliver_;
    auto inFlight = inFlight_;
    while (running_) {
        pollfd waiting{fd_, POLLIN, 0};
        const int ready = poll(&waiting, 1, 100);
        if (ready <= 0) {
            if (ready < 0 && errno != EINTR) {
                return;
            }
            continue;
        }
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        if (xioctl(fd_, VIDIOC_DQBUF, &buffer) == -1) {
            if (errno == EAGAIN) {
                continue;
            }
            return;
        }
        // A slow main loop gets the newest picture, not a queue of old ones.
        if (buffer.index < buffers_.size() && *inFlight == 0 &&
            buffer.bytesused >= bytesPerLine * static_cast<std::size_t>(height_)) {
            auto frame = std::make_shared<VideoFrame>(width_, height_);
            yuyvToFrame(static_cast<const std::uint8_t*>(buffers_[buffer.index].start),
                        bytesPerLine, *frame);
            ++*inFlight;
            platform::RunLoop::main().postFromAnyThread(
                [deliver, inFlight, frame = std::shared_ptr<const VideoFrame>(frame)] {
                    --*inFlight;
                    if (auto target = deliver.lock(); target && *target) {
                        (*target)(frame);
                    }
                });
        }
        xioctl(fd_, VIDIOC_QBUF, &buffer);
    }
}

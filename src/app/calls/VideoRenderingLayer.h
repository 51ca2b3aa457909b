#pragma once

#include "platform/layers/PixelLayer.h"

#include <memory>

class CocoaCAOpenGLLayer;

// The place of an engine picture in the video view's layer tree: the engine's rendering
// target, which the video services fill, shown by this layer as its pictures come, mirrored
// and flipped as the target says.
class VideoRenderingLayer : public platform::PixelLayer {
public:
    VideoRenderingLayer();
    ~VideoRenderingLayer() override;

    const std::shared_ptr<CocoaCAOpenGLLayer>& engineLayer() const { return engineLayer_; }

private:
    void engineLayerChanged();
    std::shared_ptr<CocoaCAOpenGLLayer> engineLayer_;
};

#include "app/calls/VideoRenderingLayer.h"

#include "engine/CocoaCAOpenGLLayer.h"

VideoRenderingLayer::VideoRenderingLayer() : engineLayer_(CocoaCAOpenGLLayer::layer()) {
    engineLayer_->setChangeObserver([this] { engineLayerChanged(); });
}

VideoRenderingLayer::~VideoRenderingLayer() {
    // The engine may keep its target longer than the view keeps this layer.
    engineLayer_->setChangeObserver(nullptr);
}

void VideoRenderingLayer::engineLayerChanged() {
    setMirrored(engineLayer_->mirrored());
    setFlipped(engineLayer_->flipped());
    if (const auto& frame = engineLayer_->currentFrame()) {
        setPixels(frame, frame->pixels.data(), frame->width, frame->height, frame->stride());
    } else if (hasPixels()) {
        clearPixels();
    }
}

#include "widgets/QXContentView.h"

#include "widgets/QXBaseWindow.h"

#include <cmath>

bool QXContentView::canResize() const {
    const platform::Size low = minimumSize();
    const platform::Size high = maximumSize();
    return std::abs(low.width - high.width) > 0.1 || std::abs(low.height - high.height) > 0.1;
}

QXBaseWindow* QXContentView::window() const {
    return dynamic_cast<QXBaseWindow*>(View::window());
}

void QXContentView::resizeSubviewsWithOldSize(platform::Size oldSize) {
    if (_delegate && _delegate->qxcvWillResizeSubviews())
        return;
    View::resizeSubviewsWithOldSize(oldSize);
}

#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/web/HTMLDocument.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Image;

// A piece of text as laid out: one word or one run of blanks, in page coordinates.
struct WebTextRun {
    std::string text;
    Rect rect;
    bool blank = false;
    // Whether it is the first word of a line (a blank never is).
    bool startsLine = false;
    // The index of the link it belongs to in links(), or -1.
    int link = -1;
};

// A link as laid out: its address as written, its target frame and the rectangles of its
// text in page coordinates, one a line.
struct WebPageLink {
    std::string href;
    std::string targetName;
    std::vector<Rect> rects;
};

// Lays out and paints HTML with CSS (block and inline layout, tables, lists, borders,
// backgrounds, images) with litehtml, measuring and drawing text through Pango and Cairo. It
// knows nothing of loading: addresses go through the resolver and images come from the image
// source. Coordinates are page points, y downwards, the origin at the page's top left.
class WebPageRenderer {
public:
    // The image an address names, or nullptr when it is not (yet) there.
    using ImageSource = std::function<std::shared_ptr<Image>(const std::string& url)>;
    using URLResolver = std::function<std::string(const std::string& reference)>;

    WebPageRenderer();
    ~WebPageRenderer();
    WebPageRenderer(const WebPageRenderer&) = delete;
    WebPageRenderer& operator=(const WebPageRenderer&) = delete;

    void setImageSource(ImageSource source);
    void setURLResolver(URLResolver resolver);

    // Replaces the page with this HTML; it is laid out on the next layout().
    void setHTML(std::string_view html);
    // Lays the whole page out for a view `width` points wide.
    void layout(double width);
    bool needsLayout() const { return needsLayout_; }
    void setNeedsLayout() { needsLayout_ = true; }
    double width() const { return width_; }
    // The page's height as laid out.
    double height() const;

    // How an append went: whether the element was found (when it was not, the page no
    // longer matches its DOM), and the area that changed when only the new content was laid
    // out (nullopt: the whole page needs layout).
    struct Appended {
        bool found = false;
        std::optional<Rect> changed;
    };
    // Appends the HTML fragment to the element at `parentPath`, laying out only the new
    // content when the element is a plain block whose flow it ends.
    Appended appendHTML(const DOMElementPath& parentPath, std::string_view html);

    // Paints the part of the page inside `clip` into Cairo's context, the page's origin at
    // the context's origin, y downwards.
    void draw(void* cairoContext, const Rect& clip) const;

    // The link under a point, as an index into links().
    std::optional<std::size_t> linkAt(Point point) const;
    const std::vector<WebPageLink>& links() const;
    // The links with text in an area, reading only the blocks there when the whole page's
    // links have not been gathered.
    std::vector<WebPageLink> linksIn(const Rect& area) const;
    // Words and blanks in document order.
    const std::vector<WebTextRun>& textRuns() const;
    // The text as a reader sees it: lines joined by line breaks, list items with their bullet.
    std::string renderedText() const;
    // The text of the runs [first, end) read the same way.
    std::string textOfRuns(std::size_t first, std::size_t end) const;
    // The border box of the element at `path`, if it is laid out.
    std::optional<Rect> rectOfElement(const DOMElementPath& path) const;

    // The page's title (the title element's text).
    const std::string& title() const;

private:
    struct Impl;
    void collectRuns() const;
    std::unique_ptr<Impl> impl_;
    bool needsLayout_ = true;
    double width_ = 0;
};

} // namespace platform

#include "platform/web/WebView.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"
#include "platform/web/HTMLSanitizer.h"
#include "platform/web/WebPageRenderer.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <glib.h>
#include <optional>
#include <sstream>

namespace platform {

namespace {

constexpr Color kSelectionColor{0.22, 0.46, 0.84, 0.35};
constexpr EventModifierFlags kCommandOrControl = CommandKeyMask | ControlKeyMask;
// Pictures a page may fetch at once; more wait for a later layout to ask again.
constexpr std::size_t kMaxImageLoads = 16;
// How much of a long page is shown before the rest is built: a few screens of text.
constexpr std::size_t kBeginningBytes = 12 * 1024;
// When the rest follows: after the first paint.
constexpr double kRestDelay = 0.02;

bool hasScheme(std::string_view url, std::string_view scheme) {
    return url.size() > scheme.size() && url[scheme.size()] == ':' &&
           lowercase(url.substr(0, scheme.size())) == scheme;
}

bool isNetworkURL(std::string_view url) {
    return hasScheme(url, "http") || hasScheme(url, "https");
}

// A path as the file URL that names it, with the characters a URL cannot hold escaped.
std::string fileURLFromPath(std::string_view path) {
    static constexpr std::string_view kept = "-._~/!$&'()*+,;=:@";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || kept.find(static_cast<char>(c)) != std::string_view::npos) {
            url += static_cast<char>(c);
        } else {
            static constexpr char digits[] = "0123456789ABCDEF";
            url += '%';
            url += digits[c >> 4];
            url += digits[c & 15];
        }
    }
    return url;
}

// The local path a file URL names ("file:///a", "file://localhost/a", "file:/a"), without its
// query and fragment; nullopt for another host.
std::optional<std::string> pathFromFileURL(std::string_view url) {
    std::string_view rest = url.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && lowercase(host) != "localhost")
            return std::nullopt;
        rest = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    return percentDecoded(rest);
}

std::string withoutFragment(std::string_view url) {
    return std::string(url.substr(0, url.find('#')));
}

std::string escapedText(std::string_view text) {
    std::string result;
    for (char c : text) {
        switch (c) {
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '&':
            result += "&amp;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

// The picture in a "data:image/...;base64," address.
std::shared_ptr<Image> imageFromDataURL(std::string_view url) {
    const std::size_t comma = url.find(',');
    if (comma == std::string_view::npos ||
        url.substr(0, comma).find(";base64") == std::string_view::npos)
        return nullptr;
    const std::string encoded(url.substr(comma + 1));
    gsize length = 0;
    guchar* bytes = g_base64_decode(encoded.c_str(), &length);
    std::shared_ptr<Image> image =
        bytes ? Image::imageWithData({reinterpret_cast<const std::uint8_t*>(bytes), length})
              : nullptr;
    g_free(bytes);
    return image;
}

// The body in UTF-8 when the content type names another character set it can be read in;
// nullopt when it is UTF-8 already (or says nothing, or names a set that is not known).
std::optional<std::string> inUTF8(const std::string& body, const std::string& contentType) {
    const std::string type = lowercase(contentType);
    const std::size_t at = type.find("charset=");
    if (at == std::string::npos)
        return std::nullopt;
    std::string charset = type.substr(at + 8);
    charset = charset.substr(0, charset.find_first_of("; "));
    std::erase(charset, '"');
    if (charset.empty() || charset == "utf-8" || charset == "utf8")
        return std::nullopt;
    gsize written = 0;
    gchar* converted = g_convert(body.data(), static_cast<gssize>(body.size()), "UTF-8",
                                 charset.c_str(), nullptr, &written, nullptr);
    if (!converted)
        return std::nullopt;
    std::string result(converted, written);
    g_free(converted);
    return result;
}

WebErrorCode errorCodeFor(HTTPResult::Status status) {
    switch (status) {
    case HTTPResult::Status::HTTPError:
        return WebErrorCode::HTTPError;
    case HTTPResult::Status::TimedOut:
        return WebErrorCode::TimedOut;
    case HTTPResult::Status::TooManyRedirects:
        return WebErrorCode::TooManyRedirects;
    case HTTPResult::Status::TooLarge:
        return WebErrorCode::ResponseTooLarge;
    case HTTPResult::Status::BadCertificate:
        return WebErrorCode::BadServerCertificate;
    case HTTPResult::Status::CannotFindHost:
        return WebErrorCode::CannotFindHost;
    case HTTPResult::Status::CannotConnect:
        return WebErrorCode::CannotConnectToHost;
    default:
        return WebErrorCode::NetworkFailure;
    }
}

} // namespace

// The web view's page inside the scroll view: flipped, as wide as the visible area and as tall
// as the page. It keeps the laid-out page in step with the DOM: edits are gathered and applied
// on the next frame, an element appended at the end of a block by laying out that element only.
class WebDocumentView : public View {
public:
    explicit WebDocumentView(WebView& owner) : owner_(&owner) {
        renderer_.setImageSource(
            [this](const std::string& url) { return owner_->imageForURL(url); });
        renderer_.setURLResolver([this](const std::string& reference) {
            return owner_->mainFrameDocument().resolveURL(reference);
        });
    }

    WebPageRenderer& renderer() { return renderer_; }

    // A new document: everything is built again on the next frame.
    void rebuild() {
        rebuild_ = true;
        shownPart_ = Part::Whole;
        appended_.clear();
        pendingScroll_.reset();
        pressedLink_.reset();
        clearSelection();
        scheduleUpdate();
    }

    void documentChanged(const HTMLDocument::Change& change) {
        if (!rebuild_) {
            if (change.kind == HTMLDocument::Change::Kind::Appended)
                appended_.push_back(change.element);
            else if (!insideAppended(change.element))
                rebuild_ = true;
        }
        clearSelection();
        scheduleUpdate();
    }

    // The size changed: the page is laid out again for the new width (a page shown in part as
    // it is, the whole one coming a moment later).
    void relayout() {
        renderer_.setNeedsLayout();
        update(true);
    }

    // Scrolls the element into sight once the page is up to date with the DOM (an element
    // asked for again before then replaces it).
    void scrollWhenUpdated(const DOMElement& element, bool alignTop) {
        std::optional<DOMElementPath> path = element.pathFromBody();
        if (!path)
            return;
        pendingScroll_ = PendingScroll{element, owner_->mainFrameDocument().removals(),
                                       std::move(*path), alignTop};
        scheduleUpdate();
    }

    // Brings the page up to date with the DOM. With `beginningWillDo`, a long new page is shown
    // by its beginning first (what fills the first screens) and built whole a moment later, so
    // that the first paint does not wait for the whole page. In the same way a long run of
    // elements appended to one parent (a transcript opened on its backlog) shows its end first,
    // the page keeping its distance from the bottom when it is built whole. A scroll asked for
    // waits for an update outside drawing.
    void update(bool beginningWillDo = false, bool mayScroll = true) {
        if (!updatePending_ && !rebuild_ && appended_.empty() && !renderer_.needsLayout()) {
            if (mayScroll)
                scrollToPending();
            return;
        }
        const bool keepPart = rebuild_ && beginningWillDo && shownPart_ != Part::Whole;
        if (keepPart && !renderer_.needsLayout())
            return;
        std::optional<Rect> changed;
        bool whole = rebuild_;
        std::optional<double> keptFromBottom;
        if (keepPart) {
            // Laid out again below, as it is.
        } else if (rebuild_) {
            updatePending_ = false;
            if (ClipView* clip = enclosingClipView(*this); clip && shownPart_ == Part::Ending)
                keptFromBottom = frame().height() - clip->bounds().maxY();
            const HTMLDocument& document = owner_->mainFrameDocument();
            std::string html = document.serialize();
            bool complete = true;
            if (beginningWillDo && html.size() > 2 * kBeginningBytes)
                html = document.serializeBeginning(kBeginningBytes, complete);
            renderer_.setHTML(html);
            shownPart_ = complete ? Part::Whole : Part::Beginning;
            if (!complete)
                scheduleRest();
        } else {
            updatePending_ = false;
            // Elements appended one after another to the same parent go to the page as one
            // piece: a burst of messages is styled and placed in one pass.
            for (std::size_t first = 0; first < appended_.size();) {
                const DOMElement parent = appended_[first].parentElement();
                std::vector<std::string> pieces;
                std::size_t bytes = 0;
                std::size_t end = first;
                for (; end < appended_.size() && appended_[end].parentElement() == parent; ++end) {
                    pieces.push_back(appended_[end].outerHTML());
                    bytes += pieces.back().size();
                }
                first = end;
                std::size_t from = 0;
                if (bytes > 2 * kBeginningBytes) {
                    from = pieces.size();
                    for (std::size_t kept = 0; from > 0 && kept < kBeginningBytes;)
                        kept += pieces[--from].size();
                }
                std::string html;
                for (std::size_t i = from; i < pieces.size(); ++i)
                    html += pieces[i];
                std::optional<DOMElementPath> path = parent ? parent.pathFromBody() : std::nullopt;
                WebPageRenderer::Appended result;
                if (path)
                    result = renderer_.appendHTML(*path, html);
                if (result.found && from > 0) {
                    // The rest (and whatever else was appended) comes with the whole page.
                    shownPart_ = Part::Ending;
                    cutParent_ = *path;
                    scheduleRest();
                    break;
                }
                if (!result.found) {
                    // The page no longer matches its DOM: build it again.
                    renderer_.setHTML(owner_->mainFrameDocument().serialize());
                    whole = true;
                    break;
                }
                if (result.changed)
                    changed = changed ? changed->unionWith(*result.changed) : *result.changed;
            }
        }
        rebuild_ = shownPart_ != Part::Whole;
        appended_.clear();
        const Size visible = visibleSize();
        if (renderer_.needsLayout() || whole) {
            renderer_.layout(visible.width);
            changed.reset();
            whole = true;
        }
        const Size size{visible.width, std::max(renderer_.height(), visible.height)};
        if (size.width != frame().width() || size.height != frame().height()) {
            setFrameSize(size);
            if (ClipView* clip = enclosingClipView(*this))
                clip->documentViewFrameDidChange();
        }
        if (Window* w = window())
            w->invalidateCursorRectsForView(this);
        if (whole || !changed)
            setNeedsDisplay(true);
        else
            setNeedsDisplayInRect(*changed);
        if (keptFromBottom) {
            const double most = std::max(0.0, frame().height() - visible.height);
            owner_->scrollView()->contentView()->scrollToPoint(
                {0, std::clamp(most - *keptFromBottom, 0.0, most)});
        }
        if (mayScroll)
            scrollToPending();
    }

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    bool acceptsFirstResponder() const override { return true; }

    void drawRect(const Rect& dirtyRect) override {
        update(true, false);
        GraphicsContext* context = GraphicsContext::currentContext();
        if (!context)
            return;
        context->setFillColor(Color::whiteColor());
        context->fillRect(dirtyRect);
        renderer_.draw(context->cairo(), dirtyRect);
        if (hasSelection()) {
            context->setFillColor(kSelectionColor);
            const std::vector<WebTextRun>& runs = renderer_.textRuns();
            const auto [first, last] = selectionRange();
            for (std::size_t i = first; i <= last && i < runs.size(); ++i)
                if (runs[i].rect.intersects(dirtyRect))
                    context->fillRect(runs[i].rect);
        }
    }

    void mouseDown(const Event& event) override {
        update();
        const Point point = convertPointFromView(event.locationInWindow(), nullptr);
        pressedLink_ = renderer_.linkAt(point);
        clearSelection();
        if (!pressedLink_) {
            anchor_ = runNear(point);
            if (Window* w = window())
                w->makeFirstResponder(this);
        }
    }

    void mouseDragged(const Event& event) override {
        if (pressedLink_ || !anchor_)
            return;
        focus_ = runNear(convertPointFromView(event.locationInWindow(), nullptr));
        setNeedsDisplay(true);
    }

    void mouseUp(const Event& event) override {
        const auto pressed = pressedLink_;
        pressedLink_.reset();
        if (!pressed)
            return;
        const Point point = convertPointFromView(event.locationInWindow(), nullptr);
        if (renderer_.linkAt(point) != pressed)
            return;
        // Following the link may replace the page: work on copies.
        const WebPageLink link = renderer_.links()[*pressed];
        owner_->followLink(link.href, link.targetName);
    }

    void rightMouseDown(const Event& event) override {
        auto keep = weak_from_this().lock();
        const Point point = owner_->convertPointFromView(event.locationInWindow(), nullptr);
        if (std::shared_ptr<Menu> menu = owner_->contextMenuAt(point))
            Menu::popUpContextMenu(menu, event, this);
    }

    bool performKeyEquivalent(const Event& event) override {
        if (event.type() == EventType::KeyDown && window() && window()->firstResponder() == this &&
            (event.modifierFlags() & kCommandOrControl)) {
            const std::string key = lowercase(event.charactersIgnoringModifiers());
            if (key == "c")
                return owner_->copySelection();
            if (key == "a") {
                owner_->selectAll();
                return true;
            }
        }
        return View::performKeyEquivalent(event);
    }

    bool tryToPerform(std::string_view action, Object* sender) override {
        if (action == "copy:")
            return owner_->copySelection();
        if (action == "selectAll:") {
            owner_->selectAll();
            return true;
        }
        return View::tryToPerform(action, sender);
    }

    bool respondsToAction(std::string_view action) const override {
        return action == "copy:" || action == "selectAll:" || View::respondsToAction(action);
    }

    std::optional<bool> validateMenuItem(MenuItem& item) override {
        if (item.action() == "copy:")
            return hasSelection();
        return View::validateMenuItem(item);
    }

    void resetCursorRects() override {
        for (const WebPageLink& link : renderer_.linksIn(visibleRect()))
            for (const Rect& rect : link.rects)
                addCursorRect(rect, Cursor::pointingHandCursor());
    }

    bool hasSelection() const { return anchor_ && focus_; }
    void clearSelection() {
        if (hasSelection())
            setNeedsDisplay(true);
        anchor_.reset();
        focus_.reset();
    }
    void selectAll() {
        update();
        const std::size_t count = renderer_.textRuns().size();
        if (count == 0)
            return;
        anchor_ = 0;
        focus_ = count - 1;
        setNeedsDisplay(true);
    }
    std::pair<std::size_t, std::size_t> selectionRange() const {
        return std::minmax(*anchor_, *focus_);
    }
    std::string selectedText() {
        if (!hasSelection())
            return {};
        const auto [first, last] = selectionRange();
        return renderer_.textOfRuns(first, last + 1);
    }

    Size visibleSize() const {
        ClipView* clip = enclosingClipView(*const_cast<WebDocumentView*>(this));
        return clip ? clip->bounds().size : owner_->bounds().size;
    }

private:
    bool insideAppended(const DOMElement& element) const {
        for (DOMElement node = element; node; node = node.parentElement())
            if (std::find(appended_.begin(), appended_.end(), node) != appended_.end())
                return true;
        return false;
    }

    void scheduleUpdate() {
        if (updatePending_)
            return;
        updatePending_ = true;
        // The page's size must follow the DOM before the next frame, even where nothing draws.
        // An update made since (a layout asked for) leaves the task nothing to do: a page
        // shown in part then waits for its rest.
        auto self = weak_from_this();
        RunLoop::main().performInModes(
            [self] {
                auto view = std::static_pointer_cast<WebDocumentView>(self.lock());
                if (view && view->updatePending_)
                    view->update();
            },
            commonModes());
    }

    // Whether the element at `path` is in the page while only the end of a long run of appended
    // elements shows: outside their parent, or among them counted from the end.
    bool inShownEnding(const DOMElementPath& path) const {
        if (shownPart_ != Part::Ending)
            return false;
        if (path.size() <= cutParent_.size() ||
            !std::equal(cutParent_.begin(), cutParent_.end(), path.begin()))
            return true;
        return path[cutParent_.size()].first < 0;
    }

    void scrollToPending() {
        if (!pendingScroll_)
            return;
        PendingScroll scroll = std::move(*pendingScroll_);
        pendingScroll_.reset();
        // Where the element is now, elements appended since counted; where it was when the
        // scroll was asked for when nodes have been freed since (the handle may be gone).
        if (owner_->mainFrameDocument().removals() == scroll.removals) {
            if (std::optional<DOMElementPath> path = scroll.element.pathFromBody())
                scroll.path = std::move(*path);
        }
        if (rebuild_ && !inShownEnding(scroll.path)) {
            // Not in the part of the page shown: scrolled to once the page is whole.
            pendingScroll_ = std::move(scroll);
            return;
        }
        const std::optional<Rect> rect = renderer_.rectOfElement(scroll.path);
        if (!rect)
            return;
        const double visible = visibleSize().height;
        const double most = std::max(0.0, frame().height() - visible);
        const double y = scroll.alignTop ? rect->minY() : rect->maxY() - visible;
        owner_->scrollView()->contentView()->scrollToPoint({0, std::clamp(y, 0.0, most)});
    }

    void scheduleRest() {
        auto self = weak_from_this();
        RunLoop::main().performAfterDelay(kRestDelay, [self] {
            if (auto view = std::static_pointer_cast<WebDocumentView>(self.lock()))
                view->update();
        });
    }

    // The word or blank nearest to a point, in reading order.
    std::optional<std::size_t> runNear(Point point) {
        const std::vector<WebTextRun>& runs = renderer_.textRuns();
        std::optional<std::size_t> best;
        double bestDistance = 0;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const Rect& r = runs[i].rect;
            const double dx = point.x < r.minX()   ? r.minX() - point.x
                              : point.x > r.maxX() ? point.x - r.maxX()
                                                   : 0;
            const double dy = point.y < r.minY()   ? r.minY() - point.y
                              : point.y > r.maxY() ? point.y - r.maxY()
                                                   : 0;
            // Lines count before columns: a point beside a line picks from that line.
            const double distance = dy * 1000 + dx;
            if (!best || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        return best;
    }

    WebView* owner_;
    WebPageRenderer renderer_;
    bool rebuild_ = true;
    // What the laid-out page holds of the DOM while the rest waits a moment.
    enum class Part { Whole, Beginning, Ending };
    Part shownPart_ = Part::Whole;
    DOMElementPath cutParent_;
    bool updatePending_ = false;
    std::vector<DOMElement> appended_;
    struct PendingScroll {
        DOMElement element;
        std::uint64_t removals = 0;
        DOMElementPath path;
        bool alignTop = false;
    };
    std::optional<PendingScroll> pendingScroll_;
    std::optional<std::size_t> pressedLink_;
    std::optional<std::size_t> anchor_;
    std::optional<std::size_t> focus_;
};

WebView::WebView(const Rect& frame) : View(frame), document_(HTMLDocument::parse({})) {
    scrollView_ = std::make_shared<ScrollView>(bounds());
    scrollView_->setAutoresizingMask(ViewWidthSizable | ViewHeightSizable);
    scrollView_->setHasVerticalScroller(true);
    scrollView_->setAutohidesScrollers(true);
    scrollView_->setBackgroundColor(Color::whiteColor());
    addSubview(scrollView_);
    documentView_ = std::make_shared<WebDocumentView>(*this);
    scrollView_->setDocumentView(documentView_);
    documentView_->rebuild();
    documentView_->update();
}

WebView::~WebView() {
    document_->setChangeHandler(std::function<void()>());
    document_->setScrollHandler({});
    loader_.reset();
    imageLoaders_.clear();
}

void WebView::resizeSubviewsWithOldSize(Size oldSize) {
    View::resizeSubviewsWithOldSize(oldSize);
    if (oldSize.width != bounds().width() || oldSize.height != bounds().height())
        documentView_->relayout();
}

void WebView::loadURL(std::string_view url) {
    const std::string address(url);
    if (!address.empty() && address.front() == '/') {
        loadURL(fileURLFromPath(address));
        return;
    }
    stopLoading();
    if (address.empty())
        return;
    if (isNetworkURL(address)) {
        shownURL_ = url_;
        url_ = address;
        loader_ = std::make_unique<HTTPLoader>(address, networkOptions_,
                                               [this, address](HTTPResult result) {
                                                   networkLoadFinished(address, std::move(result));
                                               });
        return;
    }
    if (!hasScheme(address, "file")) {
        fail(WebErrorCode::UnsupportedURL, address,
             "The page cannot be shown: only file, http and https addresses can be loaded.");
        return;
    }
    const std::optional<std::string> path = pathFromFileURL(address);
    std::error_code error;
    if (!path || !std::filesystem::is_regular_file(*path, error)) {
        fail(WebErrorCode::FileDoesNotExist, address, "The page does not exist.");
        return;
    }
    std::ifstream in(*path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    if (!in && !in.eof()) {
        fail(WebErrorCode::CannotReadFile, address, "The page cannot be read.");
        return;
    }
    showDocument(HTMLDocument::parse(contents.str(), address), address);
}

void WebView::stopLoading() {
    if (loader_)
        url_ = shownURL_;
    loader_.reset();
}

void WebView::networkLoadFinished(const std::string& requested, HTTPResult result) {
    // The loader is done; keep it alive until this call ends, as it holds this completion.
    const std::unique_ptr<HTTPLoader> finished = std::move(loader_);
    if (result.status != HTTPResult::Status::Loaded) {
        // The page shown stays, and so does its address.
        url_ = shownURL_;
        fail(errorCodeFor(result.status), requested, result.message, result.statusCode);
        return;
    }
    const std::string type = lowercase(result.contentType.substr(0, result.contentType.find(';')));
    if (std::optional<std::string> converted = inUTF8(result.body, result.contentType))
        result.body = std::move(*converted);
    std::string html;
    if (type.empty() || type == "text/html" || type == "application/xhtml+xml")
        html = HTMLSanitizer::sanitizeDocument(result.body, HTMLSanitizer::Policy::Page);
    else if (type.starts_with("text/"))
        html = "<html><body><pre>" + escapedText(result.body) + "</pre></body></html>";
    else {
        url_ = shownURL_;
        fail(WebErrorCode::CannotShowContent, requested,
             "The page's content (" + type + ") cannot be shown.");
        return;
    }
    showDocument(HTMLDocument::parse(html, result.url), result.url);
}

void WebView::loadBundlePage(std::string_view name) {
    const std::optional<std::filesystem::path> path =
        Bundle::mainBundle().pathForResource(name, "html");
    if (!path) {
        fail(WebErrorCode::FileDoesNotExist, std::string(name), "The page does not exist.");
        return;
    }
    loadURL(fileURLFromPath(std::filesystem::absolute(*path).string()));
}

void WebView::loadHTMLString(std::string_view html, std::string baseURL) {
    stopLoading();
    std::string url = baseURL;
    showDocument(HTMLDocument::parse(html, std::move(baseURL)), std::move(url));
}

void WebView::reload() {
    if (hasScheme(url_, "file") || isNetworkURL(url_))
        loadURL(std::string(url_));
}

void WebView::showDocument(std::unique_ptr<HTMLDocument> document, std::string url) {
    document_->setChangeHandler(std::function<void()>());
    document_->setScrollHandler({});
    document_ = std::move(document);
    url_ = std::move(url);
    imageLoaders_.clear();
    document_->setChangeHandler(
        [this](const HTMLDocument::Change& change) { documentView_->documentChanged(change); });
    document_->setScrollHandler([this](const DOMElement& element, bool alignTop) {
        documentView_->scrollWhenUpdated(element, alignTop);
    });
    documentView_->rebuild();
    documentView_->update(true);
    scrollView_->contentView()->scrollToPoint({0, 0});
    const std::string finished = url_;
    reportLater([this, finished](WebFrameLoadDelegate& delegate) {
        delegate.webViewDidFinishLoad(*this, finished);
    });
}

std::shared_ptr<Image> WebView::imageForURL(const std::string& url) {
    if (auto it = images_.find(url); it != images_.end())
        return it->second;
    if (hasScheme(url, "data"))
        return images_[url] = imageFromDataURL(url);
    if (!url.empty() && (url.front() == '/' || hasScheme(url, "file"))) {
        // A page from the network may not show (and so probe for) files on this computer.
        if (isNetworkURL(url_))
            return nullptr;
        const std::optional<std::string> path =
            url.front() == '/' ? std::optional<std::string>(url) : pathFromFileURL(url);
        return images_[url] = path ? Image::imageWithContentsOfFile(*path) : nullptr;
    }
    if (isNetworkURL(url) && !imageLoaders_.contains(url) &&
        imageLoaders_.size() < kMaxImageLoads) {
        imageLoaders_[url] =
            std::make_unique<HTTPLoader>(url, networkOptions_, [this, url](HTTPResult result) {
                const std::unique_ptr<HTTPLoader> done = std::move(imageLoaders_[url]);
                imageLoaders_.erase(url);
                const auto* bytes = reinterpret_cast<const std::uint8_t*>(result.body.data());
                images_[url] = result.status == HTTPResult::Status::Loaded
                                   ? Image::imageWithData({bytes, result.body.size()})
                                   : nullptr;
                if (images_[url])
                    documentView_->relayout();
            });
    }
    return nullptr;
}

void WebView::fail(WebErrorCode code, const std::string& url, std::string description,
                   long httpStatusCode) {
    WebError error{code, url, std::move(description), httpStatusCode};
    reportLater([this, error](WebFrameLoadDelegate& delegate) {
        delegate.webViewDidFailLoad(*this, error);
    });
}

void WebView::reportLater(std::function<void(WebFrameLoadDelegate&)> message) {
    std::weak_ptr<bool> alive = alive_;
    RunLoop::main().performInModes(
        [this, alive, message = std::move(message)] {
            if (alive.expired() || !frameLoadDelegate_)
                return;
            message(*frameLoadDelegate_);
        },
        commonModes());
}

void WebView::followLink(std::string_view href, std::string_view targetName) {
    WebNavigationAction action{WebNavigationType::LinkClicked, document_->resolveURL(href),
                               std::string(targetName)};
    // A link whose address could run something is never followed, whoever asks.
    if (!HTMLSanitizer::isSafeURL(action.url))
        return;
    const std::string target = lowercase(targetName);
    const bool newWindow =
        !target.empty() && target != "_self" && target != "_top" && target != "_parent";
    WebPolicyDecision decision = WebPolicyDecision::Use;
    if (newWindow) {
        decision = policyDelegate_ ? policyDelegate_->webViewDecidePolicyForNewWindowAction(
                                         *this, action, action.targetName)
                                   : WebPolicyDecision::Ignore;
    } else if (policyDelegate_) {
        decision = policyDelegate_->webViewDecidePolicyForNavigationAction(*this, action);
    }
    if (decision != WebPolicyDecision::Use)
        return;
    // A jump to a place in the page shown loads nothing.
    if (withoutFragment(action.url) == withoutFragment(url_) &&
        action.url.find('#') != std::string::npos)
        return;
    loadURL(action.url);
}

void WebView::updateLayout() {
    documentView_->update();
}

std::string WebView::renderedText() const {
    documentView_->update();
    return documentView_->renderer().renderedText();
}

std::vector<WebLinkArea> WebView::linkAreas() const {
    documentView_->update();
    std::vector<WebLinkArea> areas;
    for (const WebPageLink& link : documentView_->renderer().links()) {
        if (link.rects.empty())
            continue;
        WebLinkArea area{document_->resolveURL(link.href), link.targetName, {}};
        for (const Rect& rect : link.rects)
            area.rects.push_back(convertRectFromView(rect, documentView_.get()));
        areas.push_back(std::move(area));
    }
    return areas;
}

std::string WebView::selectedText() const {
    return documentView_->selectedText();
}

void WebView::selectAll() {
    documentView_->selectAll();
}

bool WebView::copySelection() {
    const std::string text = documentView_->selectedText();
    if (text.empty())
        return false;
    Pasteboard::generalPasteboard().writeString(text);
    return true;
}

std::shared_ptr<Menu> WebView::contextMenuAt(Point point) {
    updateLayout();
    const Point inPage = documentView_->convertPointFromView(point, this);
    WebElementInfo info;
    if (const std::optional<std::size_t> link = documentView_->renderer().linkAt(inPage))
        info.linkURL = document_->resolveURL(documentView_->renderer().links()[*link].href);
    info.selectedText = documentView_->selectedText();

    struct Item {
        std::string title;
        WebMenuItemTag tag;
    };
    std::vector<Item> offered;
    if (!info.linkURL.empty()) {
        offered.push_back({"Open Link in New Window", WebMenuItemTagOpenLinkInNewWindow});
        offered.push_back({"Copy Link", WebMenuItemTagCopyLinkToClipboard});
    }
    if (!info.selectedText.empty())
        offered.push_back({"Copy", WebMenuItemTagCopy});
    if (info.linkURL.empty() && info.selectedText.empty())
        offered.push_back({"Reload", WebMenuItemTagReload});
    std::vector<std::shared_ptr<MenuItem>> items;
    for (const Item& item : offered) {
        auto menuItem = std::make_shared<MenuItem>(item.title, "webMenuItem:", "");
        menuItem->setTag(item.tag);
        menuItem->setTarget(this);
        menuItem->setRepresentedObject(Value(info.linkURL));
        items.push_back(std::move(menuItem));
    }
    if (uiDelegate_)
        items = uiDelegate_->webViewContextMenuItemsForElement(*this, info, std::move(items));
    if (items.empty())
        return nullptr;
    auto menu = std::make_shared<Menu>("Web");
    for (auto& item : items)
        menu->addItem(std::move(item));
    return menu;
}

bool WebView::tryToPerform(std::string_view action, Object* sender) {
    if (action != "webMenuItem:")
        return View::tryToPerform(action, sender);
    auto* item = dynamic_cast<MenuItem*>(sender);
    if (!item)
        return false;
    const std::string link =
        item->representedObject().isString() ? item->representedObject().stringValue() : "";
    switch (item->tag()) {
    case WebMenuItemTagOpenLinkInNewWindow:
        followLink(link, "_blank");
        break;
    case WebMenuItemTagCopyLinkToClipboard:
        Pasteboard::generalPasteboard().writeString(link);
        break;
    case WebMenuItemTagCopy:
        copySelection();
        break;
    case WebMenuItemTagReload:
        reload();
        break;
    default:
        return false;
    }
    return true;
}

} // namespace platform

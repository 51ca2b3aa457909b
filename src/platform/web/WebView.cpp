#include "platform/web/WebView.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <libxml/tree.h>
#include <optional>
#include <set>
#include <sstream>

namespace platform {

namespace {

constexpr double kMargin = 8;
constexpr double kParagraphGap = 6;
constexpr double kHeadingGap = 10;
constexpr double kBodyFontSize = 13;
constexpr Color kLinkColor{0.0, 0.0, 0.93, 1.0};

std::string lowercase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool hasScheme(std::string_view url, std::string_view scheme) {
    return url.size() > scheme.size() && url[scheme.size()] == ':' &&
           lowercase(url.substr(0, scheme.size())) == scheme;
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

std::string attribute(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return {};
    std::string result(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return result;
}

// The alignment a block element asks for through its align attribute or a text-align
// declaration in its style attribute.
std::optional<TextAlignment> alignmentOf(const xmlNode* node, std::string_view tag) {
    if (tag == "center")
        return TextAlignment::Center;
    std::string value = lowercase(attribute(node, "align"));
    const std::string style = lowercase(attribute(node, "style"));
    if (const std::size_t at = style.find("text-align"); at != std::string::npos) {
        const std::size_t colon = style.find(':', at);
        if (colon != std::string::npos) {
            const std::size_t end = style.find(';', colon);
            value = style.substr(colon + 1, end == std::string::npos ? end : end - colon - 1);
            value.erase(std::remove_if(value.begin(), value.end(),
                                       [](unsigned char c) { return std::isspace(c); }),
                        value.end());
        }
    }
    if (value == "center")
        return TextAlignment::Center;
    if (value == "right")
        return TextAlignment::Right;
    if (value == "justify")
        return TextAlignment::Justified;
    if (value == "left")
        return TextAlignment::Left;
    return std::nullopt;
}

struct LinkSpan {
    TextRange range;
    std::string url;
    std::string targetName;
};

struct Block {
    AttributedString text;
    std::vector<LinkSpan> links;
    double gapBefore = kParagraphGap;
    TextLayout layout;
    double y = 0;
    double height = 0;
};

// Turns a document's body into paragraphs of attributed text, the way a browser's block
// layout would break it, with blanks collapsed as HTML collapses them.
class BlockBuilder {
public:
    explicit BlockBuilder(const HTMLDocument& document) : document_(document) {}

    std::vector<Block> build() {
        if (xmlNode* body = document_.body().node())
            walkChildren(body, Style{});
        flush();
        return std::move(blocks_);
    }

private:
    struct Style {
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool preformatted = false;
        double size = kBodyFontSize;
        std::string href;
        std::string targetName;
        TextAlignment alignment = TextAlignment::Natural;
        double gapBefore = kParagraphGap;
    };

    void walkChildren(xmlNode* node, const Style& style) {
        for (xmlNode* child = node->children; child; child = child->next)
            walk(child, style);
    }

    void walk(xmlNode* node, Style style) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content)
                appendText(reinterpret_cast<const char*>(node->content), style);
            return;
        }
        if (node->type != XML_ELEMENT_NODE)
            return;
        const std::string tag = lowercase(reinterpret_cast<const char*>(node->name));
        static const std::set<std::string, std::less<>> skipped{
            "head", "script", "style", "title", "noscript", "template", "meta", "link"};
        if (skipped.contains(tag))
            return;
        static const std::set<std::string, std::less<>> blocks{
            "p",    "div",     "h1",         "h2",     "h3",         "h4",  "h5",
            "h6",   "li",      "ul",         "ol",     "blockquote", "pre", "table",
            "tr",   "section", "article",    "header", "footer",     "nav", "aside",
            "main", "center",  "address",    "dl",     "dt",         "dd",  "form",
            "hr",   "figure",  "figcaption", "body",   "html"};
        const bool isBlock = blocks.contains(tag);
        if (tag == "br") {
            dropTrailingSpace();
            appendRaw("\n", style);
            return;
        }
        if (tag == "img") {
            appendText(attribute(node, "alt"), style);
            return;
        }
        if (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6') {
            static constexpr double sizes[] = {24, 18, 15, 13, 11, 10};
            style.bold = true;
            style.size = sizes[tag[1] - '1'];
            style.gapBefore = kHeadingGap;
        } else if (tag == "b" || tag == "strong" || tag == "th") {
            style.bold = true;
        } else if (tag == "i" || tag == "em" || tag == "cite") {
            style.italic = true;
        } else if (tag == "u") {
            style.underline = true;
        } else if (tag == "pre") {
            style.preformatted = true;
        } else if (tag == "a" && xmlHasProp(node, reinterpret_cast<const xmlChar*>("href"))) {
            style.href = document_.resolveURL(attribute(node, "href"));
            style.targetName = attribute(node, "target");
        }
        if (isBlock) {
            if (std::optional<TextAlignment> alignment = alignmentOf(node, tag))
                style.alignment = *alignment;
            flush();
            if (tag == "li")
                appendRaw("\u2022 ", style);
        } else if (tag == "td" || tag == "th") {
            separate(style);
        }
        walkChildren(node, style);
        if (isBlock)
            flush();
    }

    // Runs of blanks become one space, kept with the text before them; none starts a line.
    void appendText(std::string_view text, const Style& style) {
        if (style.preformatted) {
            appendRaw(text, style);
            return;
        }
        std::string collapsed;
        for (char c : text) {
            if (!std::isspace(static_cast<unsigned char>(c))) {
                collapsed += c;
                continue;
            }
            const char last = !collapsed.empty()       ? collapsed.back()
                              : !current_.text.empty() ? current_.text.string().back()
                                                       : '\n';
            if (last != ' ' && last != '\n')
                collapsed += ' ';
        }
        appendRaw(collapsed, style);
    }

    void separate(const Style& style) { appendText(" ", style); }

    // A line never ends in the space that separated it from what followed.
    void dropTrailingSpace() {
        const std::string& text = current_.text.string();
        if (text.empty() || text.back() != ' ')
            return;
        const std::size_t length = text.size() - 1;
        current_.text.deleteCharactersInRange({length, 1});
        for (LinkSpan& link : current_.links)
            if (link.range.end() > length)
                link.range.length = link.range.location < length ? length - link.range.location : 0;
        std::erase_if(current_.links, [](const LinkSpan& link) { return link.range.length == 0; });
    }

    void appendRaw(std::string_view text, const Style& style) {
        if (text.empty())
            return;
        if (current_.text.empty()) {
            currentAlignment_ = style.alignment;
            current_.gapBefore = style.gapBefore;
        }
        TextAttributes attributes;
        Font font = Font::fontWithName(style.bold ? "Helvetica-Bold" : "Helvetica", style.size);
        if (style.italic)
            font = font.fontWithItalic(true);
        attributes.font = font;
        attributes.foregroundColor = style.href.empty() ? Color::blackColor() : kLinkColor;
        if (!style.href.empty() || style.underline)
            attributes.underlineStyle = UnderlineStyleSingle;
        if (!style.href.empty())
            attributes.link = style.href;
        const std::size_t start = current_.text.length();
        current_.text.appendAttributedString(AttributedString(std::string(text), attributes));
        if (!style.href.empty()) {
            const TextRange range{start, current_.text.length() - start};
            if (!current_.links.empty() && current_.links.back().url == style.href &&
                current_.links.back().targetName == style.targetName &&
                current_.links.back().range.end() == start)
                current_.links.back().range.length += range.length;
            else
                current_.links.push_back({range, style.href, style.targetName});
        }
    }

    void flush() {
        std::string text = current_.text.string();
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (!text.empty()) {
            current_.text.deleteCharactersInRange(
                {text.size(), current_.text.length() - text.size()});
            ParagraphStyle paragraph;
            paragraph.alignment = currentAlignment_;
            TextAttributes attributes;
            attributes.paragraphStyle = paragraph;
            current_.text.addAttributes(attributes, {0, current_.text.length()});
            for (LinkSpan& link : current_.links)
                link.range.length = std::min(link.range.end(), text.size()) -
                                    std::min(link.range.location, text.size());
            std::erase_if(current_.links,
                          [](const LinkSpan& link) { return link.range.length == 0; });
            blocks_.push_back(std::move(current_));
        }
        current_ = Block{};
    }

    const HTMLDocument& document_;
    std::vector<Block> blocks_;
    Block current_;
    TextAlignment currentAlignment_ = TextAlignment::Natural;
};

} // namespace

// The web view's document: the laid-out paragraphs inside the scroll view, flipped, as wide as
// the visible area and as tall as its text.
class WebDocumentView : public View {
public:
    explicit WebDocumentView(WebView& owner) : owner_(&owner) {}

    void rebuild(const HTMLDocument& document) {
        blocks_ = BlockBuilder(document).build();
        pressedLink_.reset();
        relayout();
    }

    void relayout() {
        ClipView* clip = enclosingClipView(*this);
        const Size visible = clip ? clip->bounds().size : owner_->bounds().size;
        const double width = std::max(1.0, visible.width - 2 * kMargin);
        double y = kMargin;
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            Block& block = blocks_[i];
            if (i > 0)
                y += block.gapBefore;
            block.layout = TextLayout(block.text, width);
            block.y = y;
            block.height = block.layout.usedRect().maxY();
            y += block.height;
        }
        y += kMargin;
        setFrameSize({visible.width, std::max(y, visible.height)});
        if (clip)
            clip->documentViewFrameDidChange();
        if (Window* w = window())
            w->invalidateCursorRectsForView(this);
        setNeedsDisplay(true);
    }

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }

    void drawRect(const Rect& dirtyRect) override {
        GraphicsContext* context = GraphicsContext::currentContext();
        if (!context)
            return;
        context->setFillColor(Color::whiteColor());
        context->fillRect(dirtyRect);
        for (const Block& block : blocks_) {
            if (block.y > dirtyRect.maxY() || block.y + block.height < dirtyRect.minY())
                continue;
            block.layout.drawAtTopLeft({kMargin, block.y});
        }
    }

    // The link under a point of this view: block and link index.
    std::optional<std::pair<std::size_t, std::size_t>> linkAt(Point point) const {
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            const Block& block = blocks_[b];
            if (block.links.empty() || point.y < block.y || point.y > block.y + block.height)
                continue;
            const Point local{point.x - kMargin, point.y - block.y};
            // The layout answers the nearest caret place, which is after the character when
            // the point is in its right half: the character hit is that one or the one before.
            std::size_t index = block.layout.characterIndexForPoint(local);
            const auto contains = [&](std::size_t i) {
                return i < block.text.length() &&
                       block.layout.rectForCharacterAtIndex(i).containsPoint(local);
            };
            if (!contains(index)) {
                if (index == 0)
                    return std::nullopt;
                index = characterStart(block.text.string(), index - 1);
                if (!contains(index))
                    return std::nullopt;
            }
            for (std::size_t l = 0; l < block.links.size(); ++l) {
                const TextRange range = block.links[l].range;
                if (index >= range.location && index < range.end())
                    return std::make_pair(b, l);
            }
            return std::nullopt;
        }
        return std::nullopt;
    }

    void mouseDown(const Event& event) override {
        pressedLink_ = linkAt(convertPointFromView(event.locationInWindow(), nullptr));
    }

    void mouseUp(const Event& event) override {
        const auto pressed = pressedLink_;
        pressedLink_.reset();
        if (!pressed || linkAt(convertPointFromView(event.locationInWindow(), nullptr)) != pressed)
            return;
        const LinkSpan link = blocks_[pressed->first].links[pressed->second];
        // Following the link may replace this view's blocks: work on copies.
        owner_->followLink(link.url, link.targetName);
    }

    void resetCursorRects() override {
        for (const WebLinkArea& area : linkAreasInSelf())
            for (const Rect& rect : area.rects)
                addCursorRect(rect, Cursor::pointingHandCursor());
    }

    std::string renderedText() const {
        std::string text;
        for (const Block& block : blocks_) {
            if (!text.empty())
                text += '\n';
            text += block.text.string();
        }
        return text;
    }

    std::vector<WebLinkArea> linkAreasInSelf() const {
        std::vector<WebLinkArea> areas;
        for (const Block& block : blocks_) {
            const std::string& text = block.text.string();
            for (const LinkSpan& link : block.links) {
                WebLinkArea area{link.url, link.targetName, {}};
                for (std::size_t i = link.range.location; i < link.range.end();
                     i = characterEnd(text, i)) {
                    if (text[i] == '\n')
                        continue;
                    const Rect box =
                        block.layout.rectForCharacterAtIndex(i).offsetBy(kMargin, block.y);
                    if (!area.rects.empty() && area.rects.back().minY() == box.minY())
                        area.rects.back() = area.rects.back().unionWith(box);
                    else
                        area.rects.push_back(box);
                }
                areas.push_back(std::move(area));
            }
        }
        return areas;
    }

private:
    WebView* owner_;
    std::vector<Block> blocks_;
    std::optional<std::pair<std::size_t, std::size_t>> pressedLink_;
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
    documentView_->rebuild(*document_);
}

WebView::~WebView() {
    document_->setChangeHandler({});
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
    if (!hasScheme(address, "file")) {
        fail(WebErrorCode::UnsupportedURL, address,
             "The page cannot be shown: only pages on this computer can be loaded.");
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
    std::string url = baseURL;
    showDocument(HTMLDocument::parse(html, std::move(baseURL)), std::move(url));
}

void WebView::reload() {
    if (hasScheme(url_, "file"))
        loadURL(std::string(url_));
}

void WebView::showDocument(std::unique_ptr<HTMLDocument> document, std::string url) {
    document_->setChangeHandler({});
    document_ = std::move(document);
    url_ = std::move(url);
    document_->setChangeHandler([this] { documentView_->rebuild(*document_); });
    documentView_->rebuild(*document_);
    scrollView_->contentView()->scrollToPoint({0, 0});
    const std::string finished = url_;
    reportLater([this, finished](WebFrameLoadDelegate& delegate) {
        delegate.webViewDidFinishLoad(*this, finished);
    });
}

void WebView::fail(WebErrorCode code, const std::string& url, std::string description) {
    WebError error{code, url, std::move(description)};
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

std::string WebView::renderedText() const {
    return documentView_->renderedText();
}

std::vector<WebLinkArea> WebView::linkAreas() const {
    std::vector<WebLinkArea> areas = documentView_->linkAreasInSelf();
    for (WebLinkArea& area : areas)
        for (Rect& rect : area.rects)
            rect = convertRectFromView(rect, documentView_.get());
    return areas;
}

} // namespace platform

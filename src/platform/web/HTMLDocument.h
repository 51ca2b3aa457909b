#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// libxml2's node and document records, named here only so that handles can point at them.
struct _xmlNode;
struct _xmlDoc;

namespace platform {

class HTMLDocument;
class DOMElement;

// A path from the body down to an element: at each step the element's index among its
// parent's element children and its tag. An index counts from the start when it is 0 or more
// and from the end when it is negative (-1 is the last element child), whichever end is nearer,
// so that the path of an element near the end of a long list costs no walk through the list.
// The view uses it to find the element again in what it laid out.
using DOMElementPath = std::vector<std::pair<std::ptrdiff_t, std::string>>;

// An element of an HTML document. It is a handle, not an owner: it stays valid while its node
// is part of the document, and removing a node (remove, setInnerText on an ancestor) leaves
// handles to it and its descendants dangling, as raw DOM pointers would be. An empty handle
// answers empty texts and empty lists and ignores changes.
class DOMElement {
public:
    DOMElement() = default;
    explicit operator bool() const { return node_ != nullptr; }
    friend bool operator==(const DOMElement&, const DOMElement&) = default;

    // The tag in lower case ("div").
    std::string tagName() const;
    bool hasAttribute(std::string_view name) const;
    // The attribute's value, "" when it is missing.
    std::string getAttribute(std::string_view name) const;
    void setAttribute(std::string_view name, std::string_view value);
    void removeAttribute(std::string_view name);

    // All text below the element, concatenated, as the DOM's textContent.
    std::string textContent() const;
    // Replaces the element's children with one text node holding `text` as it is: markup in it
    // stays characters.
    void setInnerText(std::string_view text);
    void setTextContent(std::string_view text) { setInnerText(text); }
    std::string className() const { return getAttribute("class"); }
    void setClassName(std::string_view name) { setAttribute("class", name); }
    // The element's children serialised as HTML.
    std::string innerHTML() const;
    // Replaces the children with the nodes of an HTML fragment.
    void setInnerHTML(std::string_view html);
    std::string outerHTML() const;

    DOMElement parentElement() const;
    std::vector<DOMElement> children() const;
    // The first element child (text before it is passed over).
    DOMElement firstElementChild() const;
    // Whether the element is part of the document's tree (not made by createElement and not
    // yet inserted, nor inside such an element).
    bool isAttached() const;
    // A new element with that tag as the last child; the new element's handle.
    DOMElement appendChild(std::string_view tagName);
    // Moves `child` (made by createElement, or taken from where it is) to the end of this
    // element's children. An element cannot go inside itself or another document: then
    // nothing happens and the answer is empty.
    DOMElement appendChild(DOMElement child);
    // Moves `child` before `reference`, a child of this element; an empty reference appends.
    DOMElement insertBefore(DOMElement child, DOMElement reference);
    // Takes a child out of this element and frees it; false when it is not a child.
    bool removeChild(DOMElement& child);
    void appendText(std::string_view text);
    // Takes the element (and everything below it) out of the document and frees it.
    void remove();
    // Asks whoever shows the document to scroll the element into sight, its top at the top of
    // the view (or its bottom at the bottom).
    void scrollIntoView(bool alignTop = true) const;
    // Where the element is below the body; nullopt when it is not under the body.
    std::optional<DOMElementPath> pathFromBody() const;

    _xmlNode* node() const { return node_; }

private:
    friend class HTMLDocument;
    explicit DOMElement(_xmlNode* node) : node_(node) {}
    void changed() const;
    _xmlNode* node_ = nullptr;
};

// An HTML document parsed with libxml2's forgiving HTML parser (it repairs what browsers
// repair: missing html, head and body, unclosed tags), read as UTF-8, never touching the
// network. The document owns its nodes; the interface reads and edits it through DOMElement
// handles, and whoever shows it hears every edit through the change handler.
class HTMLDocument {
public:
    ~HTMLDocument();
    HTMLDocument(const HTMLDocument&) = delete;
    HTMLDocument& operator=(const HTMLDocument&) = delete;

    // Never fails: text that is not HTML at all becomes the text of a body, and empty text an
    // empty document. `baseURL` is where relative references point from.
    static std::unique_ptr<HTMLDocument> parse(std::string_view html, std::string baseURL = {});

    const std::string& baseURL() const { return baseURL_; }
    // The html element.
    DOMElement documentElement() const;
    // The body element (the document element when there is none).
    DOMElement body() const;
    // The first element in document order whose id is `id`.
    DOMElement getElementById(std::string_view id) const;
    // Elements with the tag (ignoring case) in document order; "*" matches all.
    std::vector<DOMElement> getElementsByTagName(std::string_view tagName) const;
    // The elements an XPath expression selects (nodes that are not elements are skipped; an
    // invalid expression selects nothing).
    std::vector<DOMElement> evaluateXPath(std::string_view expression) const;
    // The title element's text, blanks collapsed.
    std::string title() const;
    // The whole document as HTML.
    std::string serialize() const;
    // The document as HTML with the body's content cut once about `budget` bytes of it are in
    // (inside an element when one alone is larger), for showing the top of a long page before
    // the rest; `complete` tells whether anything was left out.
    std::string serializeBeginning(std::size_t budget, bool& complete) const;
    // `reference` resolved against the base URL (RFC 3986); the reference itself when there
    // is no base or it cannot be resolved.
    std::string resolveURL(std::string_view reference) const;

    // A new element of this document, outside its tree until it is inserted; the document
    // frees it at the end if it never is.
    DOMElement createElement(std::string_view tagName);

    // How many edits have freed nodes so far (a removal, content replaced): a handle kept
    // across edits is still good while this has not changed.
    std::uint64_t removals() const { return removals_; }
    void nodesFreed() { ++removals_; }

    // What an edit did: `Appended` when an element went in as the last child of an element of
    // the tree (and only that), `Modified` for any other change below `element`.
    struct Change {
        enum class Kind { Appended, Modified };
        Kind kind = Kind::Modified;
        DOMElement element;
    };
    // Called after every change made through a DOMElement to this document's tree (edits to
    // elements outside it are not changes that show).
    void setChangeHandler(std::function<void(const Change&)> handler) {
        changeHandler_ = std::move(handler);
    }
    void setChangeHandler(std::function<void()> handler) {
        if (!handler)
            changeHandler_ = {};
        else
            changeHandler_ = [handler = std::move(handler)](const Change&) { handler(); };
    }
    // Called by scrollIntoView.
    void setScrollHandler(std::function<void(const DOMElement&, bool alignTop)> handler) {
        scrollHandler_ = std::move(handler);
    }

    // Only parse makes documents; the tag keeps the constructor out of others' reach.
    struct ConstructionTag {
        explicit ConstructionTag() = default;
    };
    explicit HTMLDocument(ConstructionTag) {}

private:
    friend class DOMElement;
    struct DocDeleter {
        void operator()(_xmlDoc* doc) const;
    };
    void notify(Change::Kind kind, _xmlNode* node);
    void forgetDetached(_xmlNode* node);

    std::unique_ptr<_xmlDoc, DocDeleter> doc_;
    std::string baseURL_;
    std::function<void(const Change&)> changeHandler_;
    std::function<void(const DOMElement&, bool)> scrollHandler_;
    // Elements createElement made that are not (yet) in the tree.
    std::vector<_xmlNode*> detached_;
    std::uint64_t removals_ = 0;
};

// HTML repaired into well-formed XML (every element closed, empty ones as `<br/>`, attribute
// values quoted, entities as characters or numeric references), and of that only the body's
// content: what a message's markup becomes before it goes into a transcript.
std::string tidiedBodyXML(std::string_view html);

// Decodes %XX escapes (a malformed escape stays as it is).
std::string percentDecoded(std::string_view text);

} // namespace platform

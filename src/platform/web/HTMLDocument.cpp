#include "platform/web/HTMLDocument.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/tree.h>
#include <libxml/uri.h>
#include <libxml/xpath.h>

namespace platform {

namespace {

constexpr int kParseOptions =
    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;

const xmlChar* xml(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

// Takes ownership of a string libxml2 allocated.
std::string take(xmlChar* text) {
    if (!text)
        return {};
    std::string result(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return result;
}

bool isElement(const xmlNode* node) {
    return node && node->type == XML_ELEMENT_NODE;
}

bool equalsIgnoringCase(std::string_view a, const xmlChar* b) {
    const char* text = reinterpret_cast<const char*>(b);
    if (!text || std::strlen(text) != a.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

template <class Visit> bool walkElements(xmlNode* node, Visit&& visit) {
    for (; node; node = node->next) {
        if (!isElement(node))
            continue;
        if (visit(node))
            return true;
        if (walkElements(node->children, visit))
            return true;
    }
    return false;
}

HTMLDocument* owningDocument(const xmlNode* node);

void removeChildren(xmlNode* node) {
    if (HTMLDocument* document = owningDocument(node); document && node->children)
        document->nodesFreed();
    xmlNode* child = node->children;
    while (child) {
        xmlNode* next = child->next;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
        child = next;
    }
}

// The node as HTML, exactly as it is: no line breaks or indentation added, which would be
// text the DOM does not have.
std::string dumpNode(xmlDoc* doc, xmlNode* node) {
    xmlOutputBuffer* out = xmlAllocOutputBuffer(nullptr);
    if (!out)
        return {};
    htmlNodeDumpFormatOutput(out, doc, node, "UTF-8", 0);
    xmlOutputBufferFlush(out);
    std::string result(reinterpret_cast<const char*>(xmlOutputBufferGetContent(out)),
                       xmlOutputBufferGetSize(out));
    xmlOutputBufferClose(out);
    return result;
}

htmlDocPtr parseHTML(std::string_view html, const std::string& baseURL) {
    if (html.empty())
        return nullptr;
    return htmlReadMemory(html.data(), static_cast<int>(html.size()),
                          baseURL.empty() ? nullptr : baseURL.c_str(), "UTF-8", kParseOptions);
}

HTMLDocument* owningDocument(const xmlNode* node) {
    return node && node->doc ? static_cast<HTMLDocument*>(node->doc->_private) : nullptr;
}

void ignoreXPathError(void*, xmlError*) {}

} // namespace

void HTMLDocument::DocDeleter::operator()(_xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

HTMLDocument::~HTMLDocument() {
    for (xmlNode* node : detached_)
        if (!node->parent)
            xmlFreeNode(node);
}

DOMElement HTMLDocument::createElement(std::string_view tagName) {
    xmlNode* node = xmlNewDocNode(doc_.get(), nullptr, xml(std::string(tagName)), nullptr);
    if (!node)
        return {};
    detached_.push_back(node);
    return DOMElement(node);
}

void HTMLDocument::forgetDetached(xmlNode* node) {
    std::erase(detached_, node);
}

void HTMLDocument::notify(Change::Kind kind, xmlNode* node) {
    if (changeHandler_ && DOMElement(node).isAttached())
        changeHandler_(Change{kind, DOMElement(node)});
}

std::unique_ptr<HTMLDocument> HTMLDocument::parse(std::string_view html, std::string baseURL) {
    auto document = std::make_unique<HTMLDocument>(ConstructionTag{});
    document->baseURL_ = std::move(baseURL);
    htmlDocPtr doc = parseHTML(html, document->baseURL_);
    if (!doc || !xmlDocGetRootElement(doc)) {
        if (doc)
            xmlFreeDoc(doc);
        static constexpr std::string_view empty = "<html><body></body></html>";
        doc = parseHTML(empty, document->baseURL_);
    }
    doc->_private = document.get();
    document->doc_.reset(doc);
    return document;
}

DOMElement HTMLDocument::documentElement() const {
    return DOMElement(xmlDocGetRootElement(doc_.get()));
}

DOMElement HTMLDocument::body() const {
    xmlNode* found = nullptr;
    walkElements(xmlDocGetRootElement(doc_.get()), [&](xmlNode* node) {
        if (equalsIgnoringCase("body", node->name)) {
            found = node;
            return true;
        }
        return false;
    });
    return found ? DOMElement(found) : documentElement();
}

DOMElement HTMLDocument::getElementById(std::string_view id) const {
    xmlNode* found = nullptr;
    const std::string key(id);
    walkElements(xmlDocGetRootElement(doc_.get()), [&](xmlNode* node) {
        xmlChar* value = xmlGetProp(node, BAD_CAST "id");
        const bool match = value && key == reinterpret_cast<const char*>(value);
        xmlFree(value);
        if (match)
            found = node;
        return match;
    });
    return DOMElement(found);
}

std::vector<DOMElement> HTMLDocument::getElementsByTagName(std::string_view tagName) const {
    std::vector<DOMElement> result;
    walkElements(xmlDocGetRootElement(doc_.get()), [&](xmlNode* node) {
        if (tagName == "*" || equalsIgnoringCase(tagName, node->name))
            result.push_back(DOMElement(node));
        return false;
    });
    return result;
}

std::vector<DOMElement> HTMLDocument::evaluateXPath(std::string_view expression) const {
    std::vector<DOMElement> result;
    xmlXPathContext* context = xmlXPathNewContext(doc_.get());
    if (!context)
        return result;
    context->error = ignoreXPathError;
    const std::string text(expression);
    xmlXPathObject* object = xmlXPathEvalExpression(xml(text), context);
    if (object && object->type == XPATH_NODESET && object->nodesetval) {
        for (int i = 0; i < object->nodesetval->nodeNr; ++i)
            if (isElement(object->nodesetval->nodeTab[i]))
                result.push_back(DOMElement(object->nodesetval->nodeTab[i]));
    }
    xmlXPathFreeObject(object);
    xmlXPathFreeContext(context);
    return result;
}

std::string HTMLDocument::title() const {
    const std::vector<DOMElement> titles = getElementsByTagName("title");
    if (titles.empty())
        return {};
    std::string collapsed;
    for (char c : titles.front().textContent()) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!collapsed.empty() && collapsed.back() != ' ')
                collapsed += ' ';
        } else {
            collapsed += c;
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ')
        collapsed.pop_back();
    return collapsed;
}

std::string HTMLDocument::serialize() const {
    xmlChar* memory = nullptr;
    int size = 0;
    htmlDocDumpMemoryFormat(doc_.get(), &memory, &size, 0);
    if (!memory)
        return {};
    std::string result(reinterpret_cast<const char*>(memory), static_cast<std::size_t>(size));
    xmlFree(memory);
    return result;
}

namespace {

// A copy of `node` holding its children until about `budget` bytes of them are in; the last
// child that does not fit whole is cut the same way.
xmlNode* copyBeginning(xmlDoc* doc, xmlNode* node, std::size_t& budget, bool& complete) {
    xmlNode* shell = xmlDocCopyNode(node, doc, 2);
    if (!shell)
        return nullptr;
    for (xmlNode* child = node->children; child; child = child->next) {
        if (budget == 0) {
            complete = false;
            break;
        }
        const std::size_t size = dumpNode(doc, child).size();
        xmlNode* copy = size <= budget || !isElement(child)
                            ? xmlDocCopyNode(child, doc, 1)
                            : copyBeginning(doc, child, budget, complete);
        budget = size <= budget ? budget - size : 0;
        if (copy)
            xmlAddChild(shell, copy);
    }
    return shell;
}

} // namespace

std::string HTMLDocument::serializeBeginning(std::size_t budget, bool& complete) const {
    complete = true;
    xmlNode* root = xmlDocGetRootElement(doc_.get());
    const xmlNode* bodyNode = body().node();
    if (!root || !bodyNode || bodyNode == root)
        return serialize();
    xmlNode* shell = xmlDocCopyNode(root, doc_.get(), 2);
    for (xmlNode* child = root->children; shell && child; child = child->next) {
        xmlNode* copy = child == bodyNode ? copyBeginning(doc_.get(), child, budget, complete)
                                          : xmlDocCopyNode(child, doc_.get(), 1);
        if (copy)
            xmlAddChild(shell, copy);
    }
    std::string result = shell ? dumpNode(doc_.get(), shell) : serialize();
    xmlFreeNode(shell);
    return result;
}

std::string HTMLDocument::resolveURL(std::string_view reference) const {
    const std::string ref(reference);
    if (baseURL_.empty())
        return ref;
    std::string resolved = take(xmlBuildURI(xml(ref), xml(baseURL_)));
    return resolved.empty() ? ref : resolved;
}

std::string DOMElement::tagName() const {
    if (!node_ || !node_->name)
        return {};
    std::string name(reinterpret_cast<const char*>(node_->name));
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

bool DOMElement::hasAttribute(std::string_view name) const {
    return node_ && xmlHasProp(node_, xml(std::string(name))) != nullptr;
}

std::string DOMElement::getAttribute(std::string_view name) const {
    if (!node_)
        return {};
    return take(xmlGetProp(node_, xml(std::string(name))));
}

void DOMElement::setAttribute(std::string_view name, std::string_view value) {
    if (!node_)
        return;
    xmlSetProp(node_, xml(std::string(name)), xml(std::string(value)));
    changed();
}

void DOMElement::removeAttribute(std::string_view name) {
    if (!node_)
        return;
    if (xmlAttr* attribute = xmlHasProp(node_, xml(std::string(name)))) {
        xmlRemoveProp(attribute);
        changed();
    }
}

std::string DOMElement::textContent() const {
    return node_ ? take(xmlNodeGetContent(node_)) : std::string();
}

void DOMElement::setInnerText(std::string_view text) {
    if (!node_)
        return;
    removeChildren(node_);
    // A text node keeps the characters as they are; xmlNodeSetContent would read entities.
    const std::string content(text);
    if (!content.empty())
        xmlAddChild(node_,
                    xmlNewDocTextLen(node_->doc, xml(content), static_cast<int>(content.size())));
    changed();
}

std::string DOMElement::innerHTML() const {
    std::string result;
    if (!node_)
        return result;
    for (xmlNode* child = node_->children; child; child = child->next)
        result += dumpNode(node_->doc, child);
    return result;
}

void DOMElement::setInnerHTML(std::string_view html) {
    if (!node_)
        return;
    removeChildren(node_);
    // The fragment is parsed as a document of its own and its body's nodes copied over, which
    // repairs a broken fragment the way the parser repairs a page.
    const std::string page = "<html><body>" + std::string(html) + "</body></html>";
    std::unique_ptr<HTMLDocument> fragment = HTMLDocument::parse(page);
    xmlNode* fragmentBody = fragment->body().node();
    for (xmlNode* child = fragmentBody ? fragmentBody->children : nullptr; child;
         child = child->next) {
        if (xmlNode* copy = xmlDocCopyNode(child, node_->doc, 1))
            xmlAddChild(node_, copy);
    }
    changed();
}

std::string DOMElement::outerHTML() const {
    return node_ ? dumpNode(node_->doc, node_) : std::string();
}

DOMElement DOMElement::parentElement() const {
    return node_ && isElement(node_->parent) ? DOMElement(node_->parent) : DOMElement();
}

std::vector<DOMElement> DOMElement::children() const {
    std::vector<DOMElement> result;
    if (!node_)
        return result;
    for (xmlNode* child = node_->children; child; child = child->next)
        if (isElement(child))
            result.push_back(DOMElement(child));
    return result;
}

DOMElement DOMElement::appendChild(std::string_view tagName) {
    if (!node_)
        return {};
    xmlNode* child = xmlNewDocNode(node_->doc, nullptr, xml(std::string(tagName)), nullptr);
    if (!child)
        return {};
    xmlAddChild(node_, child);
    if (HTMLDocument* document = owningDocument(node_))
        document->notify(HTMLDocument::Change::Kind::Appended, child);
    return DOMElement(child);
}

void DOMElement::appendText(std::string_view text) {
    if (!node_ || text.empty())
        return;
    const std::string content(text);
    // xmlAddChild merges adjacent text nodes, freeing the new one: nothing to keep.
    xmlAddChild(node_,
                xmlNewDocTextLen(node_->doc, xml(content), static_cast<int>(content.size())));
    changed();
}

void DOMElement::remove() {
    if (!node_)
        return;
    HTMLDocument* document = owningDocument(node_);
    xmlNode* parent = node_->parent;
    const bool shown = isAttached();
    xmlUnlinkNode(node_);
    if (document) {
        document->forgetDetached(node_);
        document->nodesFreed();
    }
    xmlFreeNode(node_);
    node_ = nullptr;
    if (document && shown && isElement(parent))
        document->notify(HTMLDocument::Change::Kind::Modified, parent);
}

bool DOMElement::removeChild(DOMElement& child) {
    if (!node_ || !child.node_ || child.node_->parent != node_)
        return false;
    child.remove();
    return true;
}

void DOMElement::changed() const {
    if (HTMLDocument* document = owningDocument(node_))
        document->notify(HTMLDocument::Change::Kind::Modified, node_);
}

DOMElement DOMElement::firstElementChild() const {
    for (xmlNode* child = node_ ? node_->children : nullptr; child; child = child->next)
        if (isElement(child))
            return DOMElement(child);
    return {};
}

bool DOMElement::isAttached() const {
    if (!node_ || !node_->doc)
        return false;
    const xmlNode* root = xmlDocGetRootElement(node_->doc);
    for (const xmlNode* node = node_; node; node = node->parent)
        if (node == root)
            return true;
    return false;
}

DOMElement DOMElement::appendChild(DOMElement child) {
    return insertBefore(child, DOMElement());
}

DOMElement DOMElement::insertBefore(DOMElement child, DOMElement reference) {
    if (!node_ || !child.node_ || child.node_->doc != node_->doc ||
        (reference.node_ && reference.node_->parent != node_) || reference == child)
        return {};
    for (const xmlNode* node = node_; node; node = node->parent)
        if (node == child.node_)
            return {};
    HTMLDocument* document = owningDocument(node_);
    xmlNode* oldParent = child.node_->parent;
    const bool wasShown = child.isAttached();
    xmlUnlinkNode(child.node_);
    if (document)
        document->forgetDetached(child.node_);
    // xmlAddChild and xmlAddPrevSibling merge text nodes; an element is never merged.
    if (reference.node_)
        xmlAddPrevSibling(reference.node_, child.node_);
    else
        xmlAddChild(node_, child.node_);
    if (document) {
        if (wasShown && isElement(oldParent))
            document->notify(HTMLDocument::Change::Kind::Modified, oldParent);
        document->notify(reference.node_ ? HTMLDocument::Change::Kind::Modified
                                         : HTMLDocument::Change::Kind::Appended,
                         reference.node_ ? node_ : child.node_);
    }
    return child;
}

void DOMElement::scrollIntoView(bool alignTop) const {
    HTMLDocument* document = owningDocument(node_);
    if (document && document->scrollHandler_ && isAttached())
        document->scrollHandler_(*this, alignTop);
}

std::optional<DOMElementPath> DOMElement::pathFromBody() const {
    DOMElementPath path;
    for (const xmlNode* node = node_; node; node = node->parent) {
        if (!isElement(node))
            return std::nullopt;
        if (equalsIgnoringCase("body", node->name) && node->parent &&
            equalsIgnoringCase("html", node->parent->name)) {
            std::reverse(path.begin(), path.end());
            return path;
        }
        // Both ways at once, one step each, until one end is reached.
        std::ptrdiff_t before = 0;
        std::ptrdiff_t after = 0;
        const xmlNode* back = node->prev;
        const xmlNode* ahead = node->next;
        while (back && ahead) {
            before += isElement(back) ? 1 : 0;
            after += isElement(ahead) ? 1 : 0;
            back = back->prev;
            ahead = ahead->next;
        }
        std::ptrdiff_t index = 0;
        if (!back) {
            for (; back; back = back->prev)
                before += isElement(back) ? 1 : 0;
            index = before;
        } else {
            for (; ahead; ahead = ahead->next)
                after += isElement(ahead) ? 1 : 0;
            index = -1 - after;
        }
        path.emplace_back(index, DOMElement(const_cast<xmlNode*>(node)).tagName());
    }
    return std::nullopt;
}

std::string tidiedBodyXML(std::string_view html) {
    std::unique_ptr<HTMLDocument> document = HTMLDocument::parse(html);
    xmlNode* body = document->body().node();
    xmlBuffer* buffer = xmlBufferCreate();
    if (!buffer || !body)
        return {};
    for (xmlNode* child = body->children; child; child = child->next)
        xmlNodeDump(buffer, body->doc, child, 0, 0);
    std::string result(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                       static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return result;
}

std::string percentDecoded(std::string_view text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hex(text[i + 1]);
            const int low = hex(text[i + 2]);
            if (high >= 0 && low >= 0) {
                result += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

} // namespace platform

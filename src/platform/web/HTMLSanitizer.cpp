#include "platform/web/HTMLSanitizer.h"

#include "platform/foundation/Format.h"
#include "platform/web/HTMLDocument.h"

#include <algorithm>
#include <cctype>
#include <libxml/tree.h>
#include <set>
#include <vector>

namespace platform {

namespace {

using Policy = HTMLSanitizer::Policy;

using Names = std::set<std::string, std::less<>>;

// Elements that go with everything inside them.
const Names& droppedElements() {
    static const Names names{
        "script",   "iframe",    "frame",   "frameset", "object",   "embed",  "applet",  "param",
        "noscript", "template",  "input",   "button",   "textarea", "select", "option",  "optgroup",
        "meta",     "link",      "base",    "svg",      "math",     "audio",  "video",   "source",
        "track",    "canvas",    "noembed", "noframes", "portal",   "dialog", "xml",     "isindex",
        "keygen",   "datalist",  "output",  "progress", "meter",    "slot",   "marquee", "bgsound",
        "xmp",      "plaintext", "listing"};
    return names;
}

// Elements kept as they are; any other is replaced by its content.
const Names& keptElements() {
    static const Names names{
        "html",    "body",     "p",       "div",        "span",       "br",     "hr",
        "h1",      "h2",       "h3",      "h4",         "h5",         "h6",     "b",
        "strong",  "i",        "em",      "u",          "s",          "strike", "del",
        "ins",     "sub",      "sup",     "small",      "big",        "tt",     "code",
        "kbd",     "samp",     "var",     "pre",        "blockquote", "q",      "cite",
        "abbr",    "acronym",  "address", "center",     "font",       "a",      "img",
        "ul",      "ol",       "li",      "dl",         "dt",         "dd",     "table",
        "caption", "thead",    "tbody",   "tfoot",      "tr",         "td",     "th",
        "col",     "colgroup", "section", "article",    "header",     "footer", "nav",
        "aside",   "main",     "figure",  "figcaption", "mark",       "wbr",    "details",
        "summary", "label",    "time",    "ruby",       "rt",         "rp",     "bdi",
        "bdo",     "style",    "title"};
    return names;
}

const Names& keptAttributes() {
    static const Names names{
        "id",          "class",    "style",  "title",   "lang",    "dir",    "align",
        "valign",      "width",    "height", "colspan", "rowspan", "border", "cellpadding",
        "cellspacing", "bgcolor",  "color",  "face",    "size",    "alt",    "href",
        "src",         "target",   "name",   "start",   "type",    "value",  "reversed",
        "summary",     "abbr",     "scope",  "headers", "nowrap",  "hspace", "vspace",
        "clear",       "datetime", "cite",   "span",    "noshade"};
    return names;
}

const Names& urlAttributes() {
    static const Names names{"href", "src", "cite"};
    return names;
}

std::string nameOf(const xmlNode* node) {
    return node->name ? lowercase(reinterpret_cast<const char*>(node->name)) : std::string();
}

std::string attributeValue(xmlNode* node, const xmlAttr* attribute) {
    xmlChar* value = xmlNodeListGetString(node->doc, attribute->children, 1);
    if (!value)
        return {};
    std::string result(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return result;
}

// The text as a style parser reads it: comments, escapes and blanks out, lower case.
std::string styleKey(std::string_view css) {
    std::string key;
    for (std::size_t i = 0; i < css.size(); ++i) {
        if (css.substr(i, 2) == "/*") {
            const std::size_t end = css.find("*/", i + 2);
            if (end == std::string_view::npos)
                break;
            i = end + 1;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(css[i]);
        if (std::isspace(c) || c == '\\' || c == '"' || c == '\'' || c < 0x20)
            continue;
        key += static_cast<char>(std::tolower(c));
    }
    return key;
}

bool isRemote(std::string_view url) {
    std::string key;
    for (unsigned char c : url)
        if (!std::isspace(c) && c >= 0x20)
            key += static_cast<char>(std::tolower(c));
    return key.starts_with("http:") || key.starts_with("https:") || key.starts_with("ftp:") ||
           key.starts_with("//");
}

// One declaration of a style: dropped when it could run something, and, in a transcript,
// when it would fetch something.
bool keepDeclaration(std::string_view declaration, Policy policy) {
    const std::string key = styleKey(declaration);
    static constexpr std::string_view active[] = {
        "expression", "javascript:", "vbscript:", "behavior", "-moz-binding", "@import", "binding"};
    for (std::string_view word : active)
        if (key.find(word) != std::string::npos)
            return false;
    for (std::size_t at = key.find("url("); at != std::string::npos;
         at = key.find("url(", at + 4)) {
        const std::size_t end = key.find(')', at);
        const std::string inside =
            key.substr(at + 4, end == std::string::npos ? end : end - at - 4);
        if (!HTMLSanitizer::isSafeURL(inside, true) ||
            (policy == Policy::Transcript && isRemote(inside)))
            return false;
    }
    return true;
}

std::string cleanStyle(std::string_view style, Policy policy) {
    std::string result;
    std::size_t start = 0;
    while (start < style.size()) {
        std::size_t end = style.find(';', start);
        if (end == std::string_view::npos)
            end = style.size();
        const std::string_view declaration = style.substr(start, end - start);
        if (keepDeclaration(declaration, policy) &&
            declaration.find_first_not_of(" \t\r\n") != std::string_view::npos) {
            if (!result.empty())
                result += ';';
            result += declaration;
        }
        start = end + 1;
    }
    return result;
}

void removeNode(xmlNode* node) {
    xmlUnlinkNode(node);
    xmlFreeNode(node);
}

// Puts an element's children where it was and frees it.
void unwrap(xmlNode* node) {
    while (xmlNode* child = node->children) {
        xmlUnlinkNode(child);
        xmlAddPrevSibling(node, child);
    }
    removeNode(node);
}

void cleanAttributes(xmlNode* node, const std::string& tag, Policy policy) {
    xmlAttr* attribute = node->properties;
    while (attribute) {
        xmlAttr* next = attribute->next;
        const std::string name =
            attribute->name ? lowercase(reinterpret_cast<const char*>(attribute->name)) : "";
        // Only a picture has a source; elsewhere it means nothing and carries an address along.
        bool keep = attribute->ns == nullptr && keptAttributes().contains(name) &&
                    (name != "src" || tag == "img");
        const std::string value = keep ? attributeValue(node, attribute) : std::string();
        if (keep && urlAttributes().contains(name)) {
            const bool picture = tag == "img" && name == "src";
            keep = HTMLSanitizer::isSafeURL(value, picture) &&
                   !(picture && policy == Policy::Transcript && isRemote(value));
        }
        if (keep && name == "style") {
            const std::string cleaned = cleanStyle(value, policy);
            if (cleaned.empty()) {
                keep = false;
            } else if (cleaned != value) {
                xmlSetProp(node, attribute->name,
                           reinterpret_cast<const xmlChar*>(cleaned.c_str()));
            }
        }
        if (!keep)
            xmlRemoveProp(attribute);
        attribute = next;
    }
}

void clean(xmlNode* node, Policy policy) {
    xmlNode* child = node->children;
    while (child) {
        xmlNode* next = child->next;
        switch (child->type) {
        case XML_TEXT_NODE:
            break;
        case XML_ELEMENT_NODE: {
            const std::string tag = nameOf(child);
            if (tag == "style") {
                // A page's style sheet stays unless it could run or fetch something.
                xmlChar* content = xmlNodeGetContent(child);
                const std::string css = content ? reinterpret_cast<const char*>(content) : "";
                xmlFree(content);
                if (policy == Policy::Transcript || !keepDeclaration(css, policy)) {
                    removeNode(child);
                    break;
                }
                cleanAttributes(child, tag, policy);
                break;
            }
            if (droppedElements().contains(tag)) {
                removeNode(child);
                break;
            }
            if (tag == "head") {
                // Only the title and the style sheets of a head mean anything here.
                clean(child, policy);
                break;
            }
            clean(child, policy);
            if (!keptElements().contains(tag)) {
                unwrap(child);
                break;
            }
            cleanAttributes(child, tag, policy);
            if (tag == "img" && !xmlHasProp(child, reinterpret_cast<const xmlChar*>("src"))) {
                // A picture that may not load leaves its description.
                xmlChar* alt = xmlGetProp(child, reinterpret_cast<const xmlChar*>("alt"));
                if (alt && *alt)
                    xmlAddPrevSibling(child, xmlNewDocText(child->doc, alt));
                xmlFree(alt);
                removeNode(child);
            }
            break;
        }
        default:
            // Comments (conditional ones included), processing instructions, CDATA.
            removeNode(child);
            break;
        }
        child = next;
    }
}

} // namespace

bool HTMLSanitizer::isSafeURL(std::string_view url, bool forPicture) {
    // Browsers skip blanks and control characters inside a scheme ("java\tscript:").
    std::string key;
    for (unsigned char c : url)
        if (c > 0x20 && c != 0x7f)
            key += static_cast<char>(std::tolower(c));
    const std::size_t colon = key.find(':');
    const std::size_t firstDelimiter = key.find_first_of("/?#");
    if (colon == std::string::npos ||
        (firstDelimiter != std::string::npos && firstDelimiter < colon))
        return true; // relative
    const std::string scheme = key.substr(0, colon);
    static const Names allowed{"http", "https", "ftp",  "mailto", "tel",  "callto", "sms",
                               "sip",  "sips",  "xmpp", "im",     "file", "cid"};
    if (allowed.contains(scheme))
        return true;
    if (forPicture && scheme == "data")
        return key.starts_with("data:image/") && !key.starts_with("data:image/svg");
    return false;
}

std::string HTMLSanitizer::sanitizeFragment(std::string_view html, Policy policy) {
    auto document = HTMLDocument::parse("<html><body>" + std::string(html) + "</body></html>");
    DOMElement body = document->body();
    clean(body.node(), policy);
    return body.innerHTML();
}

std::string HTMLSanitizer::sanitizeDocument(std::string_view html, Policy policy) {
    auto document = HTMLDocument::parse(html);
    xmlNode* root = document->documentElement().node();
    // What lies outside the root element (comments, processing instructions) goes too.
    for (xmlNode* node = root->doc->children; node;) {
        xmlNode* next = node->next;
        if (node != root && node->type != XML_DTD_NODE)
            removeNode(node);
        node = next;
    }
    if (nameOf(root) != "html")
        return "<html><body></body></html>";
    cleanAttributes(root, "html", policy);
    clean(root, policy);
    return document->serialize();
}

} // namespace platform

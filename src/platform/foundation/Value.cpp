#include "platform/foundation/Value.h"

#include "platform/foundation/BinaryPropertyListReader.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Format.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <ctime>
#include <fmt/format.h>
#include <limits>
#include <plist/plist.h>

namespace platform {

namespace {

// Seconds from the Unix epoch to 2001-01-01 00:00:00 UTC.
constexpr double kReferenceDateOffset = 978307200.0;
// Property lists from outside may nest deeply; stop long before the stack would.
constexpr int kMaxDepth = 512;

template <class T> T clampToIntegral(double d) {
    if (std::isnan(d))
        return 0;
    if (d >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    if (d <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    return static_cast<T>(d);
}

std::string realDescription(double d) {
    if (std::isnan(d))
        return "nan";
    if (std::isinf(d))
        return d > 0 ? "inf" : "-inf";
    // fmt's default is the shortest text that reads back to the same double ("0.5", "1").
    return fmt::format("{}", d);
}

bool needsQuotes(const std::string& s) {
    if (s.empty())
        return true;
    for (unsigned char c : s) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '.' || c == '/' ||
                           c == ':' || c == '-' || c >= 0x80;
        if (!plain)
            return true;
    }
    return false;
}

std::string quoted(const std::string& s) {
    if (!needsQuotes(s))
        return s;
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string dateDescription(const Date& date) {
    const double unix = std::floor(date.unixTime());
    // Outside what a time_t holds (NaN and the infinities included) there is no calendar date.
    constexpr double limit = 0x1p63;
    if (!(unix >= -limit && unix < limit))
        return "";
    const std::time_t seconds = static_cast<std::time_t>(unix);
    std::tm tm{};
    if (!gmtime_r(&seconds, &tm))
        return "";
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &tm);
    return buffer;
}

std::string dataDescription(const Value::Data& data) {
    static const char* digits = "0123456789abcdef";
    std::string out = "<";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            out += ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
    }
    out += '>';
    return out;
}

std::string nestedDescription(const Value& value, int indent);

std::string elementDescription(const Value& value, int indent) {
    if (value.isString())
        return quoted(*value.string());
    if (value.isArray() || value.isDictionary())
        return nestedDescription(value, indent);
    return value.description();
}

// The old-style property-list text of a collection, each level indented four blanks.
std::string nestedDescription(const Value& value, int indent) {
    const std::string outer(static_cast<std::size_t>(indent) * 4, ' ');
    const std::string inner(static_cast<std::size_t>(indent + 1) * 4, ' ');
    std::string out;
    if (const Value::Array* array = value.array()) {
        out = "(\n";
        for (std::size_t i = 0; i < array->size(); ++i) {
            out += inner + elementDescription((*array)[i], indent + 1);
            out += i + 1 < array->size() ? ",\n" : "\n";
        }
        out += outer + ")";
    } else if (const Value::Dictionary* dictionary = value.dictionary()) {
        out = "{\n";
        for (const auto& [key, element] : *dictionary)
            out += inner + quoted(key) + " = " + elementDescription(element, indent + 1) + ";\n";
        out += outer + "}";
    }
    return out;
}

std::optional<Value> fromPlist(plist_t node, int depth) {
    if (!node || depth > kMaxDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT: {
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        // Negative integers come back as their two's complement.
        return Value(static_cast<long long>(static_cast<std::int64_t>(u)));
    }
    case PLIST_UID: {
        uint64_t u = 0;
        plist_get_uid_val(node, &u);
        return Value(static_cast<long long>(u));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(d);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return Value(std::string(text ? text : "", text ? length : 0));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
        return Value(bytes ? Value::Data(begin, begin + length) : Value::Data{});
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // libplist hands out the fraction without its sign; it belongs with the seconds'.
        const double fraction = static_cast<double>(usec < 0 ? -usec : usec) / 1e6;
        return Value(Date{sec < 0 ? sec - fraction : sec + fraction});
    }
    case PLIST_ARRAY: {
        Value::Array array;
        const uint32_t size = plist_array_get_size(node);
        array.reserve(size);
        for (uint32_t i = 0; i < size; ++i) {
            auto element = fromPlist(plist_array_get_item(node, i), depth + 1);
            if (!element)
                return std::nullopt;
            array.push_back(std::move(*element));
        }
        return Value(std::move(array));
    }
    case PLIST_DICT: {
        Value::Dictionary dictionary;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return Value(std::move(dictionary));
        bool ok = true;
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            auto element = fromPlist(item, depth + 1);
            if (!element) {
                std::free(key);
                ok = false;
                break;
            }
            dictionary.insert_or_assign(std::string(key ? key : ""), std::move(*element));
            std::free(key);
        }
        std::free(iter);
        if (!ok)
            return std::nullopt;
        return Value(std::move(dictionary));
    }
    default:
        return std::nullopt;
    }
}

// Null values and object handles have no property-list form and are left out.
plist_t toPlist(const Value& value) {
    switch (value.type()) {
    case Value::Type::Bool:
        return plist_new_bool(value.boolValue() ? 1 : 0);
    case Value::Type::Integer:
        return plist_new_uint(static_cast<uint64_t>(value.integerValue()));
    case Value::Type::Real:
        return plist_new_real(value.doubleValue());
    case Value::Type::String:
        return plist_new_string(value.string()->c_str());
    case Value::Type::Data: {
        const Value::Data& data = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
    }
    case Value::Type::Date: {
        const double seconds = value.date()->secondsSinceReferenceDate;
        double whole = std::floor(seconds);
        double micro = std::round((seconds - whole) * 1e6);
        if (micro >= 1e6) {
            whole += 1;
            micro -= 1e6;
        }
        return plist_new_date(clampToIntegral<int32_t>(whole), static_cast<int32_t>(micro));
    }
    case Value::Type::Array: {
        plist_t array = plist_new_array();
        for (const Value& element : *value.array())
            if (plist_t item = toPlist(element))
                plist_array_append_item(array, item);
        return array;
    }
    case Value::Type::Dictionary: {
        plist_t dictionary = plist_new_dict();
        for (const auto& [key, element] : *value.dictionary())
            if (plist_t item = toPlist(element))
                plist_dict_set_item(dictionary, key.c_str(), item);
        return dictionary;
    }
    case Value::Type::Null:
    case Value::Type::Object:
        return nullptr;
    }
    return nullptr;
}

} // namespace

Date Date::now() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return fromUnixTime(std::chrono::duration<double>(since).count());
}

Date Date::fromUnixTime(double secondsSince1970) {
    return Date{secondsSince1970 - kReferenceDateOffset};
}

double Date::unixTime() const {
    return secondsSinceReferenceDate + kReferenceDateOffset;
}

Value::Type Value::type() const {
    switch (storage_.index()) {
    case 0:
        return Type::Null;
    case 1:
        return Type::Bool;
    case 2:
        return Type::Integer;
    case 3:
        return Type::Real;
    case 4:
        return Type::String;
    case 5:
        return Type::Data;
    case 6:
        return Type::Date;
    case 7:
        return Type::Array;
    case 8:
        return Type::Dictionary;
    default:
        return Type::Object;
    }
}

bool Value::isNumber() const {
    const Type t = type();
    return t == Type::Bool || t == Type::Integer || t == Type::Real;
}

double Value::doubleValue() const {
    if (const bool* b = std::get_if<bool>(&storage_))
        return *b ? 1.0 : 0.0;
    if (const std::int64_t* i = std::get_if<std::int64_t>(&storage_))
        return static_cast<double>(*i);
    if (const double* d = std::get_if<double>(&storage_))
        return *d;
    if (const std::string* s = std::get_if<std::string>(&storage_))
        return leadingDouble(*s);
    return 0.0;
}

int Value::intValue() const {
    // A number too wide for an int saturates rather than wrapping to a different sign.
    const std::int64_t* integer = std::get_if<std::int64_t>(&storage_);
    if (integer || isString()) {
        const std::int64_t i = integer ? *integer : leadingInteger(*string());
        if (i > INT_MAX)
            return INT_MAX;
        if (i < INT_MIN)
            return INT_MIN;
        return static_cast<int>(i);
    }
    return clampToIntegral<int>(doubleValue());
}

std::int64_t Value::integerValue() const {
    if (const std::int64_t* i = std::get_if<std::int64_t>(&storage_))
        return *i;
    if (const std::string* s = std::get_if<std::string>(&storage_))
        return leadingInteger(*s);
    return clampToIntegral<std::int64_t>(doubleValue());
}

bool Value::boolValue() const {
    if (const bool* b = std::get_if<bool>(&storage_))
        return *b;
    if (const std::int64_t* i = std::get_if<std::int64_t>(&storage_))
        return *i != 0;
    if (const double* d = std::get_if<double>(&storage_))
        return *d != 0.0;
    if (const std::string* s = std::get_if<std::string>(&storage_)) {
        std::size_t i = 0;
        while (i < s->size() && ((*s)[i] == ' ' || ((*s)[i] >= '\t' && (*s)[i] <= '\r')))
            ++i;
        if (i < s->size() && ((*s)[i] == '+' || (*s)[i] == '-'))
            ++i;
        while (i < s->size() && (*s)[i] == '0')
            ++i;
        if (i >= s->size())
            return false;
        const char c = (*s)[i];
        return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
    }
    return false;
}

std::string Value::stringValue() const {
    if (const std::string* s = std::get_if<std::string>(&storage_))
        return *s;
    if (isNumber())
        return description();
    return {};
}

const std::string* Value::string() const {
    return std::get_if<std::string>(&storage_);
}
const Value::Array* Value::array() const {
    return std::get_if<Array>(&storage_);
}
const Value::Dictionary* Value::dictionary() const {
    return std::get_if<Dictionary>(&storage_);
}
const Value::Data* Value::data() const {
    return std::get_if<Data>(&storage_);
}
const Date* Value::date() const {
    return std::get_if<Date>(&storage_);
}

Value::ObjectHandle Value::object() const {
    if (const ObjectHandle* o = std::get_if<ObjectHandle>(&storage_))
        return *o;
    return nullptr;
}

Value::Array* Value::mutableArray() {
    return std::get_if<Array>(&storage_);
}
Value::Dictionary* Value::mutableDictionary() {
    return std::get_if<Dictionary>(&storage_);
}

const Value& Value::operator[](std::string_view key) const {
    if (const Dictionary* d = dictionary()) {
        auto it = d->find(key);
        if (it != d->end())
            return it->second;
    }
    return null();
}

const Value& Value::operator[](std::size_t index) const {
    if (const Array* a = array(); a && index < a->size())
        return (*a)[index];
    return null();
}

std::size_t Value::count() const {
    if (const Array* a = array())
        return a->size();
    if (const Dictionary* d = dictionary())
        return d->size();
    return 0;
}

void Value::setObject(std::string_view key, Value value) {
    if (isNull())
        storage_ = Dictionary{};
    if (Dictionary* d = mutableDictionary())
        d->insert_or_assign(std::string(key), std::move(value));
}

void Value::removeObjectForKey(std::string_view key) {
    if (Dictionary* d = mutableDictionary()) {
        auto it = d->find(key);
        if (it != d->end())
            d->erase(it);
    }
}

void Value::append(Value value) {
    if (isNull())
        storage_ = Array{};
    if (Array* a = mutableArray())
        a->push_back(std::move(value));
}

std::string Value::description() const {
    switch (type()) {
    case Type::Null:
        return "(null)";
    case Type::Bool:
        return std::get<bool>(storage_) ? "1" : "0";
    case Type::Integer:
        return std::to_string(std::get<std::int64_t>(storage_));
    case Type::Real:
        return realDescription(std::get<double>(storage_));
    case Type::String:
        return std::get<std::string>(storage_);
    case Type::Data:
        return dataDescription(std::get<Data>(storage_));
    case Type::Date:
        return dateDescription(std::get<Date>(storage_));
    case Type::Array:
    case Type::Dictionary:
        return nestedDescription(*this, 0);
    case Type::Object: {
        const ObjectHandle& o = std::get<ObjectHandle>(storage_);
        return o ? o->description() : "(null)";
    }
    }
    return {};
}

bool Value::operator==(const Value& other) const {
    // Numbers compare by value across their kinds, as the original's number objects did.
    if (isNumber() && other.isNumber()) {
        const Type a = type();
        const Type b = other.type();
        if (a != Type::Real && b != Type::Real)
            return integerValue() == other.integerValue();
        return doubleValue() == other.doubleValue();
    }
    return storage_ == other.storage_;
}

namespace {

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing
// above U+10FFFF.
bool isUtf8(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
            (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

} // namespace

std::optional<Value> Value::fromPropertyList(std::span<const std::uint8_t> bytes,
                                             std::string* whyNot) {
    const auto refuse = [whyNot](std::string why) -> std::optional<Value> {
        if (whyNot)
            *whyNot = std::move(why);
        return std::nullopt;
    };
    if (bytes.empty())
        return refuse("the property list is empty");
    // The binary form is read here, never by libplist, whose reader aborts or misbehaves on
    // some malformed lists; libplist reads only XML.
    if (BinaryPropertyListReader::looksBinary(bytes)) {
        BinaryPropertyListReader reader(bytes);
        std::optional<Value> value = reader.read();
        if (!value)
            return refuse("binary property list: " + reader.error());
        return value;
    }
    if (bytes.size() > std::numeric_limits<uint32_t>::max())
        return refuse("the property list is too large");
    // libplist's XML reader lets text that is not UTF-8 through, and its writer alters it.
    if (!isUtf8(bytes))
        return refuse("the property list is not UTF-8 text");
    plist_t root = nullptr;
    plist_from_xml(reinterpret_cast<const char*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                   &root);
    if (!root)
        return refuse("not a property list");
    std::optional<Value> value = fromPlist(root, 0);
    plist_free(root);
    if (!value)
        return refuse("the property list holds an unknown kind of value or is nested too deeply");
    return value;
}

std::optional<Value> Value::fromPropertyList(std::string_view bytes, std::string* whyNot) {
    return fromPropertyList(std::span<const std::uint8_t>(
                                reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                            whyNot);
}

std::optional<Value> Value::readPropertyListFile(const std::filesystem::path& path,
                                                 std::string* whyNot) {
    auto contents = FileManager::defaultManager().contentsAtPath(path);
    if (!contents) {
        if (whyNot)
            *whyNot = "the file cannot be read";
        return std::nullopt;
    }
    return fromPropertyList(std::string_view(*contents), whyNot);
}

std::string Value::toPropertyList(PropertyListFormat format) const {
    plist_t root = toPlist(*this);
    if (!root)
        return {};
    char* bytes = nullptr;
    uint32_t length = 0;
    std::string out;
    if (format == PropertyListFormat::Binary) {
        plist_to_bin(root, &bytes, &length);
        if (bytes)
            out.assign(bytes, length);
        plist_to_bin_free(bytes);
    } else {
        plist_to_xml(root, &bytes, &length);
        if (bytes)
            out.assign(bytes, length);
        plist_to_xml_free(bytes);
    }
    plist_free(root);
    return out;
}

bool Value::writePropertyListFile(const std::filesystem::path& path,
                                  PropertyListFormat format) const {
    const std::string bytes = toPropertyList(format);
    if (bytes.empty())
        return false;
    return FileManager::defaultManager().writeAtomically(path, bytes);
}

const Value& Value::null() {
    static const Value value;
    return value;
}

} // namespace platform

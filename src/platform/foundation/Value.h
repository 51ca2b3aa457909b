#pragma once

#include "platform/foundation/Object.h"

#include <compare>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// A point in time: seconds since 2001-01-01 00:00:00 UTC, as property lists store it.
struct Date {
    double secondsSinceReferenceDate = 0;

    static Date now();
    static Date fromUnixTime(double secondsSince1970);
    double unixTime() const;
    auto operator<=>(const Date&) const = default;
};

enum class PropertyListFormat { XML, Binary };

// Property-list data (null, bool, integer, real, string, data, date, array, dictionary) plus a
// shared object handle for notification user info. Copies are deep for property-list data.
// Reading a missing key or index answers a null Value, and the coercions answer a null
// Value with zero, false or the empty string, so chains like brand["A"]["B"].floatValue()
// behave like messages to nil.
class Value {
public:
    using Array = std::vector<Value>;
    using Dictionary = std::map<std::string, Value, std::less<>>;
    using Data = std::vector<std::uint8_t>;
    using ObjectHandle = std::shared_ptr<Object>;

    enum class Type { Null, Bool, Integer, Real, String, Data, Date, Array, Dictionary, Object };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : storage_(b) {}
    Value(int i) : storage_(std::int64_t{i}) {}
    Value(long i) : storage_(std::int64_t{i}) {}
    Value(long long i) : storage_(std::int64_t{i}) {}
    Value(unsigned i) : storage_(std::int64_t{i}) {}
    // Sizes and counts; a value beyond the signed range wraps, as property lists store it.
    Value(unsigned long i) : storage_(static_cast<std::int64_t>(i)) {}
    Value(unsigned long long i) : storage_(static_cast<std::int64_t>(i)) {}
    Value(double d) : storage_(d) {}
    Value(float f) : storage_(double{f}) {}
    // A null text or object handle is a null Value, as nil was.
    Value(const char* s) {
        if (s)
            storage_ = std::string(s);
    }
    Value(std::string_view s) : storage_(std::string(s)) {}
    Value(std::string s) : storage_(std::move(s)) {}
    Value(Data d) : storage_(std::move(d)) {}
    Value(Date d) : storage_(d) {}
    Value(Array a) : storage_(std::move(a)) {}
    Value(Dictionary d) : storage_(std::move(d)) {}
    Value(ObjectHandle o) {
        if (o)
            storage_ = std::move(o);
    }

    Type type() const;
    bool isNull() const { return type() == Type::Null; }
    bool isNumber() const; // Bool, Integer or Real
    bool isString() const { return type() == Type::String; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isObject() const { return type() == Type::Object; }

    // Coercions as the original's number and string objects answered them: a string reads its
    // longest leading number (leading blanks skipped; no number reads 0); a string's bool is
    // true when, after blanks, signs and zeros, it starts with Y, y, T, t or a digit 1-9.
    double doubleValue() const;
    float floatValue() const { return static_cast<float>(doubleValue()); }
    int intValue() const;
    std::int64_t integerValue() const;
    bool boolValue() const;
    // Strings as they are; numbers as their description ("1", "0.5"); everything else "".
    std::string stringValue() const;

    // Typed access; nullptr when the Value holds another type.
    const std::string* string() const;
    const Array* array() const;
    const Dictionary* dictionary() const;
    const Data* data() const;
    const Date* date() const;
    ObjectHandle object() const;
    Array* mutableArray();
    Dictionary* mutableDictionary();

    // Dictionary and array reading; a null Value for any miss.
    const Value& operator[](std::string_view key) const;
    const Value& operator[](std::size_t index) const;
    const Value& objectForKey(std::string_view key) const { return (*this)[key]; }
    std::size_t count() const; // elements of an array or dictionary, else 0

    // Dictionary writing: turns a null Value into an empty dictionary first.
    void setObject(std::string_view key, Value value);
    void removeObjectForKey(std::string_view key);
    // Array writing: turns a null Value into an empty array first.
    void append(Value value);

    // The text "%@" prints: strings as they are, numbers plainly, collections in the
    // original's old-style property-list form, a null Value "(null)" as nil printed.
    std::string description() const;

    bool operator==(const Value& other) const;

    // Property lists, XML or binary. nullopt when the bytes are not a readable property list,
    // with the reason in `whyNot` when one is given.
    static std::optional<Value> fromPropertyList(std::span<const std::uint8_t> bytes,
                                                 std::string* whyNot = nullptr);
    static std::optional<Value> fromPropertyList(std::string_view bytes,
                                                 std::string* whyNot = nullptr);
    static std::optional<Value> readPropertyListFile(const std::filesystem::path& path,
                                                     std::string* whyNot = nullptr);
    std::string toPropertyList(PropertyListFormat format = PropertyListFormat::XML) const;
    // Writes through a temporary file and a rename, so a crash never leaves half a file.
    bool writePropertyListFile(const std::filesystem::path& path,
                               PropertyListFormat format = PropertyListFormat::XML) const;

    static const Value& null();

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, Data, Date, Array,
                 Dictionary, ObjectHandle>
        storage_;
};

} // namespace platform

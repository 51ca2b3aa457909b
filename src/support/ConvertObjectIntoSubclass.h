#pragma once

#include "platform/kit/Control.h"

#include <concepts>
#include <memory>
#include <type_traits>
#include <typeinfo>

// Turns an object into an object of a subclass that carries all of its state: used to give a
// control made by an interface definition the library's own cell class.
//
// The subclass `Sub` provides a constructor from `const Base&` that copies the base part and
// leaves its own fields at their zero values (default member initialisers `{}`). The new
// object is made with it and then told initialize() when it has one. The given object is not
// changed; the caller puts the new one in its place.
//
// Answers nullptr for a null object and whenever the conversion could lose state: the object
// must be exactly a `Base` (its fields are all the constructor copies) or already exactly a
// `Sub` (then it is copied whole). An object of some other subclass of `Base` is refused, since
// `Sub` might not derive from that class, and copying only its `Base` part would drop fields.
template <class Sub, class Base>
requires std::derived_from<Sub, Base> && std::constructible_from<Sub, const Base&>
    std::shared_ptr<Sub> ConvertObjectIntoSubclass(const std::shared_ptr<Base>& object) {
    if (!object)
        return nullptr;
    std::shared_ptr<Sub> converted;
    const std::type_info& actual = typeid(*object);
    if (actual == typeid(Base)) {
        converted = std::make_shared<Sub>(static_cast<const Base&>(*object));
    } else if constexpr (std::is_polymorphic_v<Base> && std::is_copy_constructible_v<Sub>) {
        if (actual != typeid(Sub))
            return nullptr;
        converted = std::make_shared<Sub>(dynamic_cast<const Sub&>(*object));
    } else {
        return nullptr;
    }
    if constexpr (requires(Sub & sub) { sub.initialize(); })
        converted->initialize();
    return converted;
}

// Gives the control, in place of its cell, that cell converted into `SubCell` (the cell must be
// exactly a `BaseCell`, or already a `SubCell`). Answers the new cell, or nullptr with the
// control left as it was.
template <class SubCell, class BaseCell>
requires std::derived_from<BaseCell, platform::Cell> std::shared_ptr<SubCell>
ConvertCellOfControl(platform::Control& control) {
    auto cell = std::dynamic_pointer_cast<BaseCell>(control.sharedCell());
    auto converted = ConvertObjectIntoSubclass<SubCell>(cell);
    if (converted)
        control.setCell(converted);
    return converted;
}

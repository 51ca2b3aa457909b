#pragma once

#include <memory>
#include <vector>

// Clean-up of collections of shared objects. The original retained each object once more when
// adding it and released it here; with shared ownership the collection's own reference is that
// extra retain, so "release" means letting go of it: an object nobody else holds is destroyed,
// one held elsewhere lives on.
namespace OrvantaExtensions {

// Removes every object of an array controller one at a time, so that its observers see each
// removal, working over a copy of the content so removals cannot disturb the walk. The copy
// keeps every object alive until all are removed, then lets go of them.
// `Controller` answers content() (a list of shared objects, by value or reference) and
// removeObject(object).
template <class Controller> void releaseAndRemoveAllObjects(Controller& controller) {
    const auto content = controller.content();
    for (const auto& object : content)
        controller.removeObject(object);
}

// Lets go of every element, then leaves the array empty.
template <class T> void releaseAndClearAllObjects(std::vector<std::shared_ptr<T>>& array) {
    // Swapped out first, so that an element whose destruction reaches back into the array
    // finds it already empty.
    std::vector<std::shared_ptr<T>> released;
    released.swap(array);
    released.clear();
}

} // namespace OrvantaExtensions

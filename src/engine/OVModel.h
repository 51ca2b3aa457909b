#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <string>
#include <string_view>

// Callbacks of every view model: a property changed, named as the model names it. Models
// with more callbacks extend this protocol virtually, so that one listener (the application
// controller) can answer several kinds of model and still be a plain OVModelPro.
class OVModelPro {
public:
    virtual ~OVModelPro() = default;
    virtual void ovmdPropertyChanged(const std::string& /*propertyName*/) {}
};

// A view model: an engine object that carries the state of one view of the interface, reports
// it as a visual-state name, pairs each operation with a can-query, and tells its delegates
// which property changed. Models are made with their class's create().
class OVModel : public OVObject {
public:
    // The name of the visual-state property, as ovmdPropertyChanged reports it.
    static constexpr std::string_view visualStateNameProperty = "visualStateName";

    virtual std::string getVisualStateName() const { return {}; }
    std::string visualStateName() const { return getVisualStateName(); }
};

// A model whose delegates speak the protocol Pro (OVModelPro or one derived from it).
template <class Pro = OVModelPro> class OVModelOf : public OVModel, public DelegatingService<Pro> {
protected:
    void propertyChanged(std::string_view name) const {
        const std::string property(name);
        this->notifyDelegates([&](Pro& d) { d.ovmdPropertyChanged(property); });
    }
};

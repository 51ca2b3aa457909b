#pragma once

#include <string>

class OVNumberEntryModel;
namespace platform {
class Event;
}

// Key handling that the call entry lends to the other fields taking a number (the call
// panels' in-call entries): the text goes to the field's number-entry model, and a dial key
// plays its tone while held.
class Helpers {
public:
    static Helpers& instance();

    // The model takes the text first; then a dial key among the event's characters is pressed.
    void numberEntryKeyPressed(const platform::Event& event, OVNumberEntryModel& model,
                               const std::string& value);
    // A dial key among the event's characters is released.
    void numberEntryKeyReleased(const platform::Event& event, OVNumberEntryModel& model);
};

#pragma once

#include "engine/OVObject.h"

#include <functional>
#include <string>
#include <utility>

// One command a conversation model offers for a menu: its type (a menu-item constant of the
// model) and the command it runs.
class OVMenuItem : public OVObject {
public:
    OVMenuItem(int type, std::function<void()> command)
        : type_(type), command_(std::move(command)) {}

    int getType() const { return type_; }
    void executeCommand() const {
        if (command_)
            command_();
    }

private:
    int type_;
    std::function<void()> command_;
};

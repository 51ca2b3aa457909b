#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <string_view>

// A four-character code as scripting dictionaries give them, 'CTvi' = 0x43547669.
constexpr std::int64_t fourCharCode(std::string_view code) {
    std::int64_t value = 0;
    for (char c : code.substr(0, 4)) {
        value = (value << 8) | static_cast<unsigned char>(c);
    }
    return value;
}

// The "callingWith" argument of the dial command asks for a video call with this code.
inline constexpr std::string_view callingWithKey = "callingWith";
inline constexpr std::int64_t callingWithVideo = fourCharCode("CTvi");
// What both call commands answer to the script, whatever happened.
inline constexpr std::string_view scriptCommandResult = "Fix Me";

// A command another program sends by script: a direct parameter (what the command acts on,
// null when the script gave none) and its evaluated arguments by name.
class ScriptCommand : public platform::Object {
public:
    ScriptCommand(platform::Value directParameter, platform::Value evaluatedArguments)
        : directParameter_(std::move(directParameter)),
          evaluatedArguments_(std::move(evaluatedArguments)) {}

    const platform::Value& directParameter() const { return directParameter_; }
    const platform::Value& evaluatedArguments() const { return evaluatedArguments_; }
    // Acts at once; the answer goes back to the script.
    virtual platform::Value performDefaultImplementation() = 0;

private:
    platform::Value directParameter_;
    platform::Value evaluatedArguments_;
};

// Calls the number or address in the direct parameter, with video when "callingWith" is
// 'CTvi' and video is possible, else as an audio call; nothing when no call can be placed.
class DialNumberCommand : public ScriptCommand {
public:
    using ScriptCommand::ScriptCommand;
    platform::Value performDefaultImplementation() override;
};

// Ends every call whose identifier is the direct parameter; a call still ringing in is
// declined instead.
class EndCallCommand : public ScriptCommand {
public:
    using ScriptCommand::ScriptCommand;
    platform::Value performDefaultImplementation() override;
};

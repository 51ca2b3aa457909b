#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <string>
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
// What both call commands answer to the script when they did what was asked.
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
    // Why the command could not do what it was asked; "" when it did. The script gets this in
    // place of the answer.
    const std::string& scriptErrorString() const { return scriptErrorString_; }

protected:
    void setScriptErrorString(std::string why) { scriptErrorString_ = std::move(why); }

private:
    platform::Value directParameter_;
    platform::Value evaluatedArguments_;
    std::string scriptErrorString_;
};

// Calls the number or address in the direct parameter (read by the engine's dial plan), with
// video when "callingWith" is 'CTvi' and video is possible, else as an audio call; nothing,
// with the reason as script error, when no call can be placed.
class DialNumberCommand : public ScriptCommand {
public:
    using ScriptCommand::ScriptCommand;
    platform::Value performDefaultImplementation() override;
};

// Ends every call whose identifier is the direct parameter; a call still ringing in is
// declined instead. A script error when no call has that identifier.
class EndCallCommand : public ScriptCommand {
public:
    using ScriptCommand::ScriptCommand;
    platform::Value performDefaultImplementation() override;
};

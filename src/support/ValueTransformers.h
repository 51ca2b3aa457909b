#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/kit/ValueTransformer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

// The value transformers that window bindings use to turn engine values (presence states,
// account states, contact field kinds, dates, durations, sizes) into texts, images and flags.
// Texts come from the Messages table through QXLS; images are the bundle's, by name, boxed in
// a Value (platform::valueWithImage). Flags are bool Values. Transformers that allow reversing
// and have no reverse rule of their own apply their forward rule both ways.

// Registers every transformer below under its class name, as bindings name them. The presence
// icon transformers keep `brandDictionary` (their icon sets). ListTransformer and
// ChoiceToRadioButtonTransformer need a list or a choice and are made by their users.
void registerValueTransformers(const platform::Value& brandDictionary);

// Fixes the result kind and whether reversing is allowed, so each transformer states only its
// rules.
template <platform::TransformedValueClass Result, bool Reversible = false>
class BasicValueTransformer : public platform::ValueTransformer {
public:
    platform::TransformedValueClass transformedValueClass() const override { return Result; }
    bool allowsReverseTransformation() const override { return Reversible; }
};

using TextValueTransformer = BasicValueTransformer<platform::TransformedValueClass::String>;
using ImageValueTransformer = BasicValueTransformer<platform::TransformedValueClass::Image>;
using FlagValueTransformer = BasicValueTransformer<platform::TransformedValueClass::Number>;

// What the field-type-pair transformers read: an address's field name and how it is used
// (the contact list's and the personal address book's address type pairs provide it).
class FieldTypePair : public platform::Object {
public:
    virtual std::string addressType() const = 0;
    virtual int communicationType() const = 0; // an OVCommunicationType number
};

// Presence status number -> image name, by the engine's presence constants.
class PresenceStatusIconNameTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
    static std::string iconNameForStatus(const platform::Value& value);
};

// Presence status number -> the status icon of the brand's "main" icon set.
class PresenceStatusIconTransformer : public ImageValueTransformer {
public:
    explicit PresenceStatusIconTransformer(platform::Value brandDictionary);
    platform::Value transformedValue(const platform::Value& value) const override;

protected:
    PresenceStatusIconTransformer(platform::Value brandDictionary, std::string_view iconSetKey,
                                  int smallestSetFallback);

private:
    platform::Value brandDictionary_;
    std::string iconSetKey_;
    int smallestSetFallback_;
};

// Presence status number -> the status icon of the brand's "dock" icon set.
class PresenceStatusDockIconTransformer : public PresenceStatusIconTransformer {
public:
    explicit PresenceStatusDockIconTransformer(platform::Value brandDictionary);
};

// Presence status number -> its text.
class PresenceStatusMessageTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Engine presence message -> display text, through the contact operations.
class DefaultPresenceMessageStringTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::String, true> {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
    // Display text -> engine message.
    platform::Value reverseTransformedValue(const platform::Value& value) const override;
};

// As the default one, except that an empty message reads as "Connected" (personal address
// book) or "Available".
class PresenceMessageStringTransformer : public DefaultPresenceMessageStringTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Presence status number -> hide the message (status none).
class PresenceMessageHiddenTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Contact field name -> its label.
class NumberTypeStringTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Contact field name -> its icon.
class NumberTypeImageTransformer : public ImageValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Address type number -> its icon.
class ContactAddressImageTransformer : public ImageValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Address type number -> its label.
class ContactAddressStringTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// FieldTypePair -> its label (mobile text message and instant message have their own).
class FieldTypePairStringTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// FieldTypePair -> its icon.
class FieldTypePairImageTransformer : public ImageValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Date -> "Today 3:04 PM", "Yesterday 3:04 PM" or "Dec 10, 2026, 3:04 PM". Today and
// yesterday are calendar days of the local time zone.
class DateStringTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::String, true> {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Phone status number -> whether phone controls are enabled.
class EnabledOnPhoneStatusTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Status number -> enabled for away, on the phone and offline.
class EnabledPresenceStatusTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// New voice-mail count -> hide the count.
class VoiceMailCountTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

class HiddenOnNullTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

class HiddenOnNotNullTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Text -> hide when empty (no text included).
class HiddenOnEmptyTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

class HiddenOnReverseBoolTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

class ReverseBoolTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::Number, true> {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// The microphone's mute flag of a call panel's bindings: any value -> the number 1 or 0, both
// ways.
class MicMuteTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::Number, true> {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
    platform::Value reverseTransformedValue(const platform::Value& value) const override;
};

// Call type number -> its icon.
class CallHistoryStatusIconTransformer : public ImageValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Call type number -> its text.
class CallHistoryTypeTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Device name -> the name, or "None".
class EmptyDeviceTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Array -> whether it offers a choice (two elements or more); anything else YES.
class ArrayHasElements : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Array -> NO when it has more than five elements; anything else YES.
class ArrayHasAtMostFiveElements : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Date -> medium date and medium time.
class DateTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Seconds -> "hh:mm:ss".
class TimeTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

class MillisecondToSecondTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::Number, true> {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
    platform::Value reverseTransformedValue(const platform::Value& value) const override;
};

// An object -> its index in `list`, and back. Pop-up buttons bind their selected index
// through it.
class ListTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::Number, true> {
public:
    ListTransformer() = default;
    explicit ListTransformer(platform::Value::Array list) : list_(std::move(list)) {}

    // Makes a transformer over `objects` and registers it under `name`.
    static std::shared_ptr<ListTransformer>
    createListTransformerWithName(std::string_view name, platform::Value::Array objects);

    const platform::Value::Array& list() const { return list_; }
    void setList(platform::Value::Array list) { list_ = std::move(list); }

    platform::Value transformedValue(const platform::Value& value) const override;
    platform::Value reverseTransformedValue(const platform::Value& value) const override;

private:
    platform::Value::Array list_;
};

// Storage method key ("local", "webdav", ...) -> its label, and back.
class StorageMethodTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::String, true> {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
    platform::Value reverseTransformedValue(const platform::Value& value) const override;
};

// Text of a field -> the 64-bit setting it holds (-1 when it holds none); forwards unchanged.
class SettingLongValueTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::Number, true> {
public:
    platform::Value reverseTransformedValue(const platform::Value& value) const override;
};

// Byte count -> "12 Bytes", "12 KB", "12 MB" (decimal units, truncated).
class FileSizeTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// A radio button's state <-> a choice number: numbers from 1901 up are choices (1 when it is
// this button's choice), smaller ones are button states (1 gives the choice).
class ChoiceToRadioButtonTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::Number, true> {
public:
    explicit ChoiceToRadioButtonTransformer(unsigned choice = 0) : choice_(choice) {}
    static std::shared_ptr<ChoiceToRadioButtonTransformer> initWithChoice(unsigned choice) {
        return std::make_shared<ChoiceToRadioButtonTransformer>(choice);
    }
    unsigned choice() const { return choice_; }
    platform::Value transformedValue(const platform::Value& value) const override;

private:
    unsigned choice_;
};

// Account status number -> its (untranslated) name.
class AccountInfoStatusTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Account failure cause number -> its text; "Network Down." while the network is down.
class AccountFailureCauseTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Account protocol number -> "SIP", "XMPP" or "Unknown".
class AccountProtocolTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// A bandwidth -> the same as an integer, both ways.
class NetworkBandwidthTransformer
    : public BasicValueTransformer<platform::TransformedValueClass::Number, true> {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Connection type number -> whether it is the custom one (4).
class ConnectionTypeIsCustomTransformer : public FlagValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Archive item type number -> its text.
class ArchiveItemTypeTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Call history item -> its name, marked when blocked.
class HistoryNameDisplayTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

// Seconds of a call -> "hh:mm:ss", nothing before the call has lasted a second.
class CallTimerTransformer : public TextValueTransformer {
public:
    platform::Value transformedValue(const platform::Value& value) const override;
};

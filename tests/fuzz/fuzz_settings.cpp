// Settings files: the user's defaults file and the engine's settings defaults, read at start.
// A file that is no property-list dictionary is moved aside whole and the settings start
// empty; one that reads is saved again unchanged, and the engine's settings tree takes it.

#include "FuzzSupport.h"
#include "engine/PhoneService.h"
#include "engine/SettingBlock.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using platform::Value;

fs::path folder;

void write(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool holdsNaN(const Value& value) {
    // Texts with a NUL character are cut short by libplist's writer (a known fault of the value
    // writer, left to its own mend), so they are not compared either.
    if (value.type() == Value::Type::String)
        return value.string()->find('\0') != std::string::npos;
    if (value.type() == Value::Type::Real)
        return std::isnan(value.doubleValue());
    if (value.type() == Value::Type::Date)
        return !std::isfinite(value.date()->secondsSinceReferenceDate);
    if (const auto* array = value.array())
        for (const Value& element : *array)
            if (holdsNaN(element))
                return true;
    if (const auto* dictionary = value.dictionary())
        for (const auto& entry : *dictionary)
            if (holdsNaN(entry.second) || entry.first.find('\0') != std::string::npos)
                return true;
    return false;
}

// Every block below `block` that holds a value of the dictionary, and back.
void compareTree(const SettingBlock& block, const Value& values) {
    for (const auto& [name, value] : *values.dictionary()) {
        const auto child = block.existingSub(name);
        FUZZ_CHECK(child);
        if (value.isDictionary())
            compareTree(*child, value);
        else if (!holdsNaN(value))
            FUZZ_CHECK(child->value() == value);
    }
}

void userDefaults(std::string_view input) {
    const fs::path file = folder / "defaults.plist";
    write(file, input);
    Value loaded;
    {
        platform::UserDefaults defaults(file);
        loaded = defaults.dictionaryRepresentation();
        FUZZ_CHECK(loaded.isDictionary());
        if (!fs::exists(file)) {
            // Moved aside whole, for the user to inspect.
            FUZZ_CHECK(loaded.count() == 0);
            std::size_t aside = 0;
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename().string().find("unreadable") != std::string::npos) {
                    FUZZ_CHECK(read(entry.path()) == input);
                    ++aside;
                }
            FUZZ_CHECK(aside == 1);
        }
        for (const auto& [key, value] : *loaded.dictionary()) {
            defaults.stringForKey(key);
            defaults.doubleForKey(key);
            defaults.dataForKey(key);
        }
        defaults.setBool("fuzzed", true);
        FUZZ_CHECK(defaults.synchronize());
    }
    platform::UserDefaults again(file);
    Value expected = loaded;
    expected.setObject("fuzzed", true);
    if (!holdsNaN(expected))
        FUZZ_CHECK(again.dictionaryRepresentation() == expected);
}

void engineDefaults(std::string_view input) {
    write(folder / "engine" / "settings-defaults.plist", input);
    platform::Bundle::setMainBundlePath(folder);
    const auto service = std::make_shared<PhoneService>();
    const auto root = service->getPreferenceSettings();
    const auto values = Value::fromPropertyList(input);
    if (values && values->isDictionary())
        compareTree(*root, *values);
    FUZZ_CHECK(!root->hasPendingChanges());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char name[] = "/tmp/lumiq-fuzz-settings-XXXXXX";
    FUZZ_CHECK(::mkdtemp(name));
    folder = name;
    platform::setLogSink([](std::string_view) {});
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(100.0));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::text(data, size);
    fs::remove_all(folder);
    fs::create_directories(folder / "engine");
    userDefaults(input);
    engineDefaults(input);
    platform::RunLoop::main().runUntilIdle();
    return 0;
}

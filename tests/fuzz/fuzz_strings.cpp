// String tables and the formats in them: "<table>.strings" files in UTF-8 or UTF-16 (or a
// property list), read through a bundle as the program reads its texts, and every text used
// as a printf-style format with arguments of every kind.

#include "FuzzSupport.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Format.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::string format(std::string_view text) {
    const platform::Value object(platform::Value::Dictionary{{"k", platform::Value(1.5)}});
    return platform::stringWithFormat(
        text,
        {platform::FormatArg(42), platform::FormatArg(-7L), platform::FormatArg(3000000000UL),
         platform::FormatArg(-0.125), platform::FormatArg("text"), platform::FormatArg(object),
         platform::FormatArg(static_cast<const char*>(nullptr))});
}

const std::filesystem::path& bundleFolder() {
    static const std::filesystem::path folder = [] {
        char name[] = "/tmp/lumiq-fuzz-strings-XXXXXX";
        FUZZ_CHECK(::mkdtemp(name));
        return std::filesystem::path(name);
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::text(data, size);
    {
        std::ofstream(bundleFolder() / "Fuzz.strings", std::ios::binary | std::ios::trunc)
            .write(input.data(), static_cast<std::streamsize>(input.size()));
    }
    const platform::Bundle bundle(bundleFolder());
    for (std::string_view key : {"", "key", "a", "Message"})
        format(bundle.localizedStringForKey(key, "fallback", "Fuzz"));

    std::size_t formatted = 0;
    for (const auto& [key, value] : platform::parseStringsTable(input)) {
        if (++formatted > 32)
            break;
        format(value);
    }
    format(input);
    return 0;
}

// Contact files in vCard 2.1, 3.0 and 4.0: folded lines, escapes, parameters, quoted-printable
// values in a declared charset. Every card read is valid UTF-8, and the card the program's
// own export writes of it reads back as one card with the same name.

#include "FuzzSupport.h"
#include "engine/ContactFileFormats.h"

#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ContactParseResult result =
        contact_files::parseVCard(std::string(fuzz::text(data, size)));
    if (const auto* error = std::get_if<ContactFileError>(&result)) {
        FUZZ_CHECK(error->line >= 0);
        error->description();
        return 0;
    }
    for (const ContactRecord& record : std::get<std::vector<ContactRecord>>(result)) {
        FUZZ_CHECK(fuzz::isUtf8(record.displayName));
        for (const auto& [name, value] : record.fields)
            FUZZ_CHECK(fuzz::isUtf8(value));
        for (const std::string& group : record.groups)
            FUZZ_CHECK(fuzz::isUtf8(group));
        contact_files::vCardFileName(record);

        const ContactParseResult again =
            contact_files::parseVCard(contact_files::writeVCard(record));
        const auto* cards = std::get_if<std::vector<ContactRecord>>(&again);
        FUZZ_CHECK(cards && cards->size() == 1);
        // The writer leaves out carriage returns, which the reader keeps when one stands alone.
        std::string name = record.displayName;
        std::erase(name, '\r');
        FUZZ_CHECK(cards->front().displayName == name);
    }
    return 0;
}

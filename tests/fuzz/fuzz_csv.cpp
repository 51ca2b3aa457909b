// Contact files in CSV: bytes in any encoding, a header row naming the columns, quoted fields.
// The reader answers records or an error with its line; what it reads the program's own export
// writes out again, and that reads back.

#include "FuzzSupport.h"
#include "engine/ContactFileFormats.h"

#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(fuzz::text(data, size));
    if (const auto error = contact_files::prepareText(text)) {
        FUZZ_CHECK(error->line >= 0);
        error->description();
        return 0;
    }
    FUZZ_CHECK(fuzz::isUtf8(text));
    // The delimiter found from the header, and each one given.
    for (std::string_view delimiter : {"", ",", ";", "\t"}) {
        const ContactParseResult result = contact_files::parseCSV(text, delimiter);
        if (const auto* error = std::get_if<ContactFileError>(&result)) {
            FUZZ_CHECK(error->line >= 0);
            continue;
        }
        const auto& records = std::get<std::vector<ContactRecord>>(result);
        for (const ContactRecord& record : records) {
            contact_files::fallbackDisplayName(record);
            for (const auto& [name, value] : record.fields)
                contact_files::roleOfField(name);
        }
        if (records.empty())
            continue;
        const ContactParseResult again = contact_files::parseCSV(contact_files::writeCSV(records));
        FUZZ_CHECK(std::holds_alternative<std::vector<ContactRecord>>(again));
    }
    return 0;
}

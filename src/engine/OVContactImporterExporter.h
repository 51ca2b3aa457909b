#pragma once

#include "engine/ContactFileFormats.h"
#include "engine/DelegateList.h"
#include "platform/foundation/Object.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class EngineContext;

// Callbacks of the contact importer-exporter: exactly one for each request.
class OVContactImporterExporterPro {
public:
    virtual ~OVContactImporterExporterPro() = default;
    virtual void ovieSuccess(int /*count*/) {}
    virtual void ovieFailure() {}
    // During an import, after each file read: `done` of `total` files.
    virtual void ovieProgress(int /*done*/, int /*total*/) {}
};

// Reads contacts from CSV and vCard files into the contact store and writes the store's
// contacts out. Every request is answered once, on a later pass of the main loop, by
// ovieSuccess (the number of contacts imported or exported) or ovieFailure; lastError then
// says why it failed, with the line for a file that cannot be read. An import is all or
// nothing: the whole file is read before the store is touched, in one transaction. The files
// of a folder are read one a pass of the main loop, each reported by ovieProgress.
class OVContactImporterExporter : public platform::Object,
                                  public DelegatingService<OVContactImporterExporterPro> {
public:
    static constexpr int formatCSV = 0;
    static constexpr int formatVCard = 1;
    static constexpr int formatMACADR = 3;

    explicit OVContactImporterExporter(std::shared_ptr<EngineContext> context = nullptr);

    // Imports the file at `filePath` (for vCard also a folder: each ".vcf" file in it).
    // `fileDelimeter` is the CSV delimiter, empty for the one the header row uses. Forced
    // subscription wins over forced no subscription; with neither, contacts with an address
    // are watched. The system address book (formatMACADR) is not read here and fails.
    void doImport(int format, const std::string& filePath, const std::string& fileDelimeter,
                  bool forcePresenceSubscription, bool forceNoPresenceSubscription,
                  bool eraseExistingContacts);
    // Exports every contact: for CSV to the file `filePath` (replaced whole, never left half
    // written), for vCard one "<name>.vcf" a contact into the existing folder `filePath`.
    void doExport(int format, const std::string& filePath);

    // Why the last request failed, "" after a success.
    const std::string& lastError() const { return lastError_; }
    // What the last successful import left out because the contacts had no field for it
    // ("2 values had no field left: Ann Lee: work 2, other 3"), "" when nothing.
    const std::string& lastNotice() const { return lastNotice_; }

private:
    struct ImportJob {
        std::vector<std::filesystem::path> files;
        std::size_t next = 0;
        int format = formatCSV;
        std::string delimiter;
        bool erase = false;
        std::optional<bool> subscription;
        std::vector<ContactRecord> records;
    };
    void continueImport(const std::shared_ptr<ImportJob>& job);
    void answer(int count);
    void fail(std::string reason);

    std::shared_ptr<EngineContext> context_;
    std::string lastError_;
    std::string lastNotice_;
};

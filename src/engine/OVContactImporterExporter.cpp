#include "engine/OVContactImporterExporter.h"

#include "engine/ContactFileFormats.h"
#include "engine/EngineContext.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string lowercase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The records of one file, or why it cannot be read ("name.csv, line 7: ...").
ContactParseResult readFile(const fs::path& file, int format, const std::string& delimiter) {
    auto contents = platform::FileManager::defaultManager().contentsAtPath(file);
    if (!contents) {
        return ContactFileError{0, file.filename().string() + " cannot be read"};
    }
    auto result = format == OVContactImporterExporter::formatCSV
                      ? contact_files::parseCSV(std::move(*contents), delimiter)
                      : contact_files::parseVCard(std::move(*contents));
    if (auto* error = std::get_if<ContactFileError>(&result)) {
        error->message = file.filename().string() + ", " + error->description();
        error->line = 0;
    }
    return result;
}

// Every ".vcf" file of a folder, by name.
std::vector<fs::path> vCardFilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(folder, code)) {
        if (entry.is_regular_file(code) && lowercase(entry.path().extension().string()) == ".vcf") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Says which values were left out, naming the first few contacts they belong to.
std::string droppedNotice(const std::vector<ContactRecord>& records) {
    constexpr std::size_t kNamed = 5;
    std::size_t count = 0;
    std::size_t named = 0;
    std::string list;
    for (const auto& record : records) {
        if (record.dropped.empty()) {
            continue;
        }
        count += record.dropped.size();
        if (named++ < kNamed) {
            std::string values;
            for (const auto& value : record.dropped) {
                values += (values.empty() ? "" : ", ") + value;
            }
            list += (list.empty() ? "" : "; ") + record.displayName + ": " + values;
        }
    }
    if (count == 0) {
        return {};
    }
    std::string notice = std::to_string(count) + (count == 1 ? " value" : " values") +
                         " had no field left and " + (count == 1 ? "was" : "were") +
                         " not imported: " + list;
    if (named > kNamed) {
        notice += "; and " + std::to_string(named - kNamed) + " more contacts";
    }
    return notice;
}

} // namespace

OVContactImporterExporter::OVContactImporterExporter(std::shared_ptr<EngineContext> context)
    : context_(context ? std::move(context) : std::make_shared<EngineContext>()) {}

void OVContactImporterExporter::answer(int count) {
    lastError_.clear();
    notifyDelegates([count](OVContactImporterExporterPro& d) { d.ovieSuccess(count); });
}

void OVContactImporterExporter::fail(std::string reason) {
    platform::Logf("Contacts: %@", reason);
    lastNotice_.clear();
    lastError_ = std::move(reason);
    notifyDelegates([](OVContactImporterExporterPro& d) { d.ovieFailure(); });
}

void OVContactImporterExporter::doImport(int format, const std::string& filePath,
                                         const std::string& fileDelimeter,
                                         bool forcePresenceSubscription,
                                         bool forceNoPresenceSubscription,
                                         bool eraseExistingContacts) {
    context_->post([this, format, filePath, fileDelimeter, forcePresenceSubscription,
                    forceNoPresenceSubscription, eraseExistingContacts] {
        if (format != formatCSV && format != formatVCard) {
            fail(format == formatMACADR
                     ? "the system address book is imported by the contact import window"
                     : "unknown import format " + std::to_string(format));
            return;
        }
        const auto phone = context_->phone();
        if (!phone || !phone->getContactManager()->hasSession()) {
            fail("contacts can be imported only while signed in");
            return;
        }
        if (filePath.empty()) {
            fail("no file to import was given");
            return;
        }
        const fs::path path(filePath);
        std::error_code code;
        std::vector<fs::path> files;
        if (fs::is_directory(path, code) && format == formatVCard) {
            files = vCardFilesIn(path);
            if (files.empty()) {
                fail("the folder " + filePath + " holds no .vcf file");
                return;
            }
        } else if (fs::is_regular_file(path, code)) {
            files.push_back(path);
        } else {
            fail(filePath + (fs::exists(path, code) ? " is not a file" : " does not exist"));
            return;
        }
        auto job = std::make_shared<ImportJob>();
        job->files = std::move(files);
        job->format = format;
        job->delimiter = fileDelimeter;
        job->erase = eraseExistingContacts;
        if (forcePresenceSubscription) {
            job->subscription = true;
        } else if (forceNoPresenceSubscription) {
            job->subscription = false;
        }
        continueImport(job);
    });
}

void OVContactImporterExporter::continueImport(const std::shared_ptr<ImportJob>& job) {
    // Every file is read before anything is written, so that a damaged one imports nothing at
    // all; one file a pass of the loop, so that the windows stay responsive meanwhile.
    if (job->next < job->files.size()) {
        auto result = readFile(job->files[job->next++], job->format, job->delimiter);
        if (auto* error = std::get_if<ContactFileError>(&result)) {
            fail(error->message);
            return;
        }
        auto& read = std::get<std::vector<ContactRecord>>(result);
        std::move(read.begin(), read.end(), std::back_inserter(job->records));
        const int done = static_cast<int>(job->next);
        const int total = static_cast<int>(job->files.size());
        notifyDelegates([&](OVContactImporterExporterPro& d) { d.ovieProgress(done, total); });
        context_->post([this, job] { continueImport(job); });
        return;
    }
    const auto phone = context_->phone();
    if (!phone || !phone->getContactManager()->hasSession()) {
        fail("contacts can be imported only while signed in");
        return;
    }
    auto imported =
        phone->getContactManager()->importRecords(job->records, job->erase, job->subscription);
    if (auto* error = std::get_if<std::string>(&imported)) {
        fail(*error);
        return;
    }
    lastNotice_ = droppedNotice(job->records);
    answer(std::get<int>(imported));
}

void OVContactImporterExporter::doExport(int format, const std::string& filePath) {
    context_->post([this, format, filePath] {
        if (format != formatCSV && format != formatVCard) {
            fail("unknown export format " + std::to_string(format));
            return;
        }
        const auto phone = context_->phone();
        if (!phone || !phone->getContactManager()->hasSession()) {
            fail("contacts can be exported only while signed in");
            return;
        }
        if (filePath.empty()) {
            fail("no place to export to was given");
            return;
        }
        const auto records = phone->getContactManager()->contactRecords();
        const auto& files = platform::FileManager::defaultManager();
        const fs::path path(filePath);
        std::error_code code;
        std::string error;
        if (format == formatCSV) {
            if (fs::is_directory(path, code)) {
                fail(filePath + " is a folder");
                return;
            }
            const auto folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
            if (!fs::is_directory(folder, code)) {
                fail("the folder " + folder.string() + " does not exist");
                return;
            }
            if (!files.writeAtomically(path, contact_files::writeCSV(records), &error)) {
                fail("cannot write " + error);
                return;
            }
            lastNotice_.clear();
            answer(static_cast<int>(records.size()));
            return;
        }
        if (!fs::is_directory(path, code)) {
            fail("the folder " + filePath + " does not exist");
            return;
        }
        // Contacts of the same name get " 2", " 3" ... so that none replaces another; names
        // are compared without regard to case for folders on such file systems.
        std::set<std::string> used;
        int written = 0;
        for (const auto& record : records) {
            const std::string base = contact_files::vCardFileName(record);
            const std::string stem = base.substr(0, base.size() - 4);
            std::string name = base;
            for (int n = 2; used.count(lowercase(name)); ++n) {
                name = stem + " " + std::to_string(n) + ".vcf";
            }
            used.insert(lowercase(name));
            // Each card is written whole or not at all.
            if (!files.writeAtomically(path / name, contact_files::writeVCard(record), &error)) {
                fail("cannot write " + error + " (" + std::to_string(written) + " of " +
                     std::to_string(records.size()) + " cards written)");
                return;
            }
            ++written;
        }
        lastNotice_.clear();
        answer(written);
    });
}

#include "app/core/TemporaryLeftovers.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"

#include <algorithm>

namespace fs = std::filesystem;

std::vector<fs::path> removeTemporaryLeftovers(const fs::path& settingsFolder,
                                               const fs::path& engineFolder) {
    const auto& files = platform::FileManager::defaultManager();
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    std::vector<fs::path> removed;
    auto add = [&](std::vector<fs::path> more) {
        removed.insert(removed.end(), more.begin(), more.end());
    };

    std::vector<fs::path> ownFolders{settingsFolder};
    if (!engineFolder.empty() && engineFolder != settingsFolder)
        ownFolders.push_back(engineFolder);
    for (const auto& folder : ownFolders)
        if (!folder.empty())
            add(files.removeStaleTemporaryFiles(folder));

    // The defaults share their folder with every other program's settings.
    const fs::path defaultsFile = defaults.file();
    if (defaultsFile.has_parent_path() && std::find(ownFolders.begin(), ownFolders.end(),
                                                    defaultsFile.parent_path()) == ownFolders.end())
        add(files.removeStaleTemporaryFiles(defaultsFile.parent_path(),
                                            defaultsFile.filename().string() + ".tmp-"));

    // The export folder is the user's own: only what an export writes is touched there.
    if (auto exportFolder = defaults.stringForKey(lastExportFolderKey);
        exportFolder && !exportFolder->empty())
        add(files.removeStaleTemporaryFiles(fs::path(*exportFolder), {}, {".csv", ".vcf"}));

    for (const auto& path : removed)
        platform::Logf("Removed %@, left behind by a write that never finished", path.string());
    return removed;
}

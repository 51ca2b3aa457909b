#include "platform/foundation/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using foundation_test::TempDir;

std::string contents(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeScript(const fs::path& file, const std::string& body) {
    std::ofstream(file) << "#!/bin/bash\n" << body;
    fs::permissions(file, fs::perms::owner_all);
}

// scripts/install-desktop-entry run with a PATH of the few tools it needs, plus, when given, an
// xdg-mime of the test's own that keeps the defaults in a file.
class DesktopEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(tmp / "tools");
        for (const char* tool :
             {"bash", "env", "realpath", "dirname", "sed", "cp", "mkdir", "cat", "grep"}) {
            for (const char* dir : {"/usr/bin", "/bin"}) {
                if (fs::exists(fs::path(dir) / tool)) {
                    fs::create_symlink(fs::path(dir) / tool, tmp / "tools" / tool);
                    break;
                }
            }
        }
        fs::create_directories(tmp / "mime");
    }

    // The exit status; what it printed is in `out` and `err`.
    int install(bool withMime) {
        const fs::path script = fs::path(LUMIQ_SOURCE_DIR) / "scripts" / "install-desktop-entry";
        std::string path = (tmp / "tools").string();
        if (withMime)
            path = (tmp / "mime").string() + ":" + path;
        const std::string command =
            "/usr/bin/env -i PATH='" + path + "' HOME='" + (tmp / "home").string() +
            "' XDG_DATA_HOME='" + (tmp / "data").string() + "' '" + script.string() +
            "' /bin/true >'" + (tmp / "out").string() + "' 2>'" + (tmp / "err").string() + "'";
        const int status = std::system(command.c_str());
        out = contents(tmp / "out");
        err = contents(tmp / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempDir tmp;
    std::string out;
    std::string err;
};

TEST_F(DesktopEntryTest, SaysInstalledOnlyWhenTheLinksAreRegistered) {
    const fs::path entry = tmp / "data" / "applications" / "lumiq.desktop";
    const fs::path icon = tmp / "data" / "icons" / "hicolor" / "scalable" / "apps" / "lumiq.svg";
    const fs::path defaults = tmp / "defaults";
    const std::string keeping = "case \"$1 $2\" in\n"
                                "  'default lumiq.desktop') echo \"$3\" >>'" +
                                defaults.string() +
                                "' ;;\n"
                                "  'query default') grep -qx \"$3\" '" +
                                defaults.string() +
                                "' 2>/dev/null && echo lumiq.desktop ;;\n"
                                "esac\n";
    const struct {
        const char* name;
        std::string xdgMime; // empty: none on PATH
        int status;
        const char* said;
    } cases[] = {
        {"no xdg-mime", "", 1, "install xdg-utils"},
        {"xdg-mime fails", "echo 'xdg-mime: no writable mimeapps.list' >&2\nexit 4\n", 1,
         "could not make it the handler of sip tel callto kelvosip links"},
        {"xdg-mime keeps nothing", "exit 0\n", 1, "could not make it the handler"},
        {"xdg-mime works", keeping, 0, ""},
    };
    for (const auto& c : cases) {
        fs::remove_all(tmp / "data");
        fs::remove(defaults);
        fs::remove(tmp / "mime" / "xdg-mime");
        if (!c.xdgMime.empty())
            writeScript(tmp / "mime" / "xdg-mime", c.xdgMime);
        EXPECT_EQ(install(!c.xdgMime.empty()), c.status) << c.name << ": " << err;
        EXPECT_NE(err.find(c.said), std::string::npos) << c.name << ": " << err;
        if (c.status != 0) {
            EXPECT_EQ(out.find("Installed"), std::string::npos) << c.name;
            continue;
        }
        EXPECT_NE(out.find("Installed"), std::string::npos) << out;
        EXPECT_NE(contents(entry).find("\"" + fs::canonical("/bin/true").string() + "\" %u"),
                  std::string::npos)
            << contents(entry);
        EXPECT_NE(contents(icon).find("<svg"), std::string::npos) << "the icon is installed";
        EXPECT_EQ(contents(defaults), "x-scheme-handler/sip\nx-scheme-handler/tel\n"
                                      "x-scheme-handler/callto\nx-scheme-handler/kelvosip\n");
    }
}

} // namespace

#include "EngineRecorder.h"
#include "EngineTestSupport.h"
#include "engine/FileTransferService.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace engine_test;

namespace {

namespace fs = std::filesystem;

const std::string dave = "dave@chat.lumiq.example";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every entry under the folder, hidden ones included, as paths relative to it.
std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class FileTransferTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        recorder = std::make_unique<EngineRecorder>(engine());
        root = fs::temp_directory_path() / ("lumiq-files-" + std::to_string(::getpid()));
        fs::remove_all(root);
        folder = root / "in";
        fs::create_directories(folder);
        startSession("alice", "wonderland");
    }
    void TearDown() override {
        recorder.reset();
        EngineTest::TearDown();
        fs::remove_all(root);
    }

public:
    SimulatedNetwork& network() const { return *Scenario().network(); }
    std::shared_ptr<FileTransferService> service() const {
        return engine().phoneService()->getFileTransferService();
    }
    std::shared_ptr<FileTransferRequest>
    offer(std::vector<std::pair<std::string, std::string>> files) {
        Scenario().fileTransferOfferedWithContents(dave, "Dave", std::move(files));
        settle();
        return recorder->lastTransfer;
    }
    // Runs the transfer until it has moved some but not all of its bytes.
    static void untilHalfWay(FileTransferRequest& request) {
        for (int i = 0; i < 200 && request.progress() < 0.3; ++i) {
            pass(0.05);
        }
        ASSERT_EQ(request.state(), FileTransferRequest::stateTransferring);
        ASSERT_GT(request.progress(), 0.0);
        ASSERT_LT(request.progress(), 1.0);
    }
    using EngineTest::pass;

protected:
    std::unique_ptr<EngineRecorder> recorder;
    fs::path root;
    fs::path folder;
};

// The files arrive under hidden temporary names and take their own names only once all of
// them are whole; a file of the same name already there is replaced then, not before.
TEST_F(FileTransferTest, ReceivedFilesTakeTheirNamesOnlyWhenComplete) {
    std::ofstream(folder / "report.txt") << "old report";
    const std::string big(100000, 'x');
    auto request = offer({{"report.txt", "new report"}, {"data.bin", big}, {"empty", ""}});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->state(), FileTransferRequest::stateWaitingForUser);
    EXPECT_EQ(request->totalBytes(), 10u + big.size());

    request->accept(folder.string());
    settle();
    untilHalfWay(*request);
    EXPECT_EQ(readFile(folder / "report.txt"), "old report") << "not replaced while moving";
    EXPECT_FALSE(fs::exists(folder / "data.bin"));
    for (const auto& name : entries(folder)) {
        EXPECT_TRUE(name == "report.txt" || name.starts_with(".")) << name;
    }

    pass(3);
    ASSERT_EQ(request->state(), FileTransferRequest::stateCompleted);
    EXPECT_DOUBLE_EQ(request->progress(), 1.0);
    EXPECT_EQ(entries(folder), (std::vector<std::string>{"data.bin", "empty", "report.txt"}));
    EXPECT_EQ(readFile(folder / "report.txt"), "new report");
    EXPECT_EQ(readFile(folder / "data.bin"), big);
    EXPECT_EQ(fs::file_size(folder / "empty"), 0u);
}

// However a transfer ends before completion, the folder is left as it was.
TEST_F(FileTransferTest, ATransferThatDoesNotCompleteLeavesNothingBehind) {
    const struct {
        const char* name;
        std::function<void(FileTransferTest&, FileTransferRequest&)> end;
        int state;
    } cases[] = {
        {"cancelled by the user", [](FileTransferTest&, FileTransferRequest& r) { r.cancel(); },
         FileTransferRequest::stateCancelled},
        {"connection broke", [](FileTransferTest& t, FileTransferRequest&) { t.pass(3); },
         FileTransferRequest::stateFailed},
        {"session ended",
         [](FileTransferTest& t, FileTransferRequest&) { t.service()->cancelAll(); },
         FileTransferRequest::stateCancelled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(folder / "keep.txt") << "mine";
        if (c.state == FileTransferRequest::stateFailed) {
            Scenario().failNextFileTransfer();
        }
        auto request = offer({{"keep.txt", std::string(50000, 'k')}, {"b.bin", "bbbb"}});
        ASSERT_TRUE(request);
        request->accept(folder.string());
        settle();
        untilHalfWay(*request);
        c.end(*this, *request);
        settle();
        EXPECT_EQ(request->state(), c.state);
        EXPECT_EQ(entries(folder), std::vector<std::string>{"keep.txt"});
        EXPECT_EQ(readFile(folder / "keep.txt"), "mine");
    }
}

// Whatever name the other side offers, the file lands directly in the chosen folder; names
// that come down to the same file are kept apart.
TEST_F(FileTransferTest, OfferedNamesNeverReachOutsideTheFolder) {
    std::ofstream(root / "x") << "outside";
    const struct {
        const char* offered;
        const char* name;
    } cases[] = {
        {"../x", "x"},
        {"a/b", "b"},
        {"/etc/passwd", "passwd"},
        {"..", "file"},
        {"", "file (2)"},
        {"dir\\..\\evil.txt", "evil.txt"},
        {"sub/x", "x (2)"},
        {"notes.txt", "notes.txt"},
        {"c/notes.txt", "notes (2).txt"},
    };
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& c : cases) {
        files.emplace_back(c.offered, std::string("from ") + c.offered);
    }
    auto request = offer(files);
    ASSERT_TRUE(request);
    ASSERT_EQ(request->items().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(request->items()[i].name, cases[i].name) << cases[i].offered;
    }
    request->accept(folder.string());
    pass(3);
    ASSERT_EQ(request->state(), FileTransferRequest::stateCompleted);
    EXPECT_EQ(readFile(root / "x"), "outside");
    EXPECT_EQ(readFile(folder / "x"), "from ../x");
    EXPECT_EQ(readFile(folder / "x (2)"), "from sub/x");
    EXPECT_EQ(entries(root).size(), 2u + std::size(cases)) << "x, in/ and the files in it";
}

// Sent files are read from disk as they go; the other side gets exactly their bytes. A file
// that is missing or shrinks while it is read fails the transfer; an offer turned down is declined.
TEST_F(FileTransferTest, SentFilesAreReadFromDisk) {
    const auto first = root / "one.txt";
    const auto second = root / "two.bin";
    std::ofstream(first) << "first file";
    std::ofstream(second) << std::string(30000, 't');
    auto request =
        service()->newOutgoingFileTransfer(dave, "", "Dave", {first.string(), second.string()});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->state(), FileTransferRequest::stateWaitingForRemote);
    EXPECT_EQ(request->items()[1].name, "two.bin");
    pass(4);
    ASSERT_EQ(request->state(), FileTransferRequest::stateCompleted);
    const auto& delivered = network().deliveredFiles();
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered[0].address, dave);
    EXPECT_EQ(delivered[0].content, "first file");
    EXPECT_EQ(delivered[1].content, std::string(30000, 't'));

    auto shrunk = service()->newOutgoingFileTransfer(dave, "", "Dave", {second.string()});
    pass(1.1);
    untilHalfWay(*shrunk);
    fs::resize_file(second, 10);
    pass(2);
    EXPECT_EQ(shrunk->state(), FileTransferRequest::stateFailed) << "the file shrank under it";

    auto gone = service()->newOutgoingFileTransfer(dave, "", "Dave", {(root / "gone").string()});
    pass(2);
    EXPECT_EQ(gone->state(), FileTransferRequest::stateFailed) << "nothing to read";

    Scenario().fileOffersAccepted(false);
    auto refused = service()->newOutgoingFileTransfer(dave, "", "Dave", {first.string()});
    pass(2);
    EXPECT_EQ(refused->state(), FileTransferRequest::stateDeclined);
    EXPECT_EQ(network().deliveredFiles().size(), 2u) << "only the first transfer's files";
}

} // namespace

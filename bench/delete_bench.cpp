// Times the Delete Files command on a large result: an All list of `rows` rows (100,000 by
// default) of which `checked` (10,000) are checked, each checked file a copy of an unchecked
// file of its group, with sizes under 1 MB mixed as in the synthetic bench tree. The checked
// files and their copies are written to a temporary folder first, so the cache is warm.
//   delete-bench [rows] [checked] [--views] [--in FOLDER]
// With --views every list is shown in a table view, as in the window. The temporary folder is
// made in FOLDER (default: the system's temporary folder); on a file system mounted with
// "discard" each deletion waits for the device, so the time spent deleting is shown apart.
#include "DeleteCheckedFiles.h"
#include "DesktopKit.h"
#include "FileSystem.h"
#include "PathText.h"
#include "Prompt.h"
#include "ResultSet.h"
#include "TaskHost.h"
#include "YieldPacer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace quilder;

class YesPrompt : public Prompt {
public:
    void Notice(const QString& text) override { std::printf("notice: %s\n", qPrintable(text)); }
    PromptAnswer AskYesNo(const QString&) override { return PromptAnswer::Yes; }
    PromptAnswer AskYesNoDefaultNo(const QString&) override { return PromptAnswer::Yes; }
    PromptAnswer AskYesNoCancel(const QString&) override { return PromptAnswer::Yes; }
};

class NoDesktop : public DesktopKit {
public:
    void SendWindowMessage(WindowHandle, int, std::int64_t, std::int64_t) override {}
    QStringList ShowOpenDialog(WindowHandle, const QString&, const QString&, const QString&,
                               bool) override {
        return {};
    }
    QString ShowSaveDialog(WindowHandle, const QString&, const QString&, const QString&,
                           const QString&, const QString&) override {
        return {};
    }
    bool OpenItem(const QString&, int) override { return false; }
    bool OpenAddress(const QString&, int) override { return false; }
    WindowHandle FindTitledWindow(const QString&) override { return 0; }
};

// Times the deletions and reads, to tell the file system's share from the program's.
class TimedFileSystem : public FileSystem {
public:
    RemovalOutcome RemoveCompared(int folder, const std::string& folderPath,
                                  const std::string& name, const EntryState& compared) override {
        const Clock clock(deleting);
        return FileSystem::RemoveCompared(folder, folderPath, name, compared);
    }
    long long ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) override {
        const Clock clock(reading);
        return FileSystem::ReadAt(fd, buffer, length, offset);
    }
    double deleting = 0;
    double reading = 0;

private:
    struct Clock {
        explicit Clock(double& total) : total_(total) { timer_.start(); }
        ~Clock() { total_ += static_cast<double>(timer_.nsecsElapsed()) / 1e9; }
        double& total_;
        QElapsedTimer timer_;
    };
};

class BenchActionHost : public TaskHost {
public:
    ResultSet& Results() override { return results; }
    Prompt& Prompts() override { return prompt; }
    DesktopKit& Desktop() override { return desktop; }
    // Paced as the window paces its yields.
    void Yield() override {
        if (!pacer.Due()) return;
        ++yields;
        QCoreApplication::processEvents();
        pacer.Ran();
    }
    bool StopRequested() const override { return false; }
    void SetStopRequested(bool) override {}
    QString StatusText() const override { return status; }
    void SetStatusText(const QString& text) override { status = text; }
    void SetAnimationInterval(int) override {}

    ResultSet results;
    YesPrompt prompt;
    NoDesktop desktop;
    QString status;
    long yields = 0;
    YieldPacer pacer;
};

// Class list and a size under 1 MB, mixed as the bench tree mixes them (Tiny 20, Very Small 36,
// Small 40, Normal 4).
std::pair<int, std::uint64_t> PickSize(std::mt19937_64& random) {
    const int roll = static_cast<int>(random() % 100);
    const auto within = [&](std::uint64_t low, std::uint64_t high) {
        return low + random() % (high - low + 1);
    };
    if (roll < 20) return {7, within(1, 1023)};
    if (roll < 56) return {6, within(1024, 10239)};
    if (roll < 96) return {5, within(10240, 102399)};
    return {4, within(102400, 1048575)};
}

// User and system time of the process: less disturbed than the clock on a busy machine.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

bool WriteFile(const std::string& path, const std::vector<char>& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fd);
    return ok;
}

ResultRow Row(const std::string& folder, const std::string& name, const QString& key) {
    ResultRow row;
    row.text[kNameColumn] = PathToText(name);
    row.text[kPathColumn] = PathToText(folder);
    row.text[kSortColumn] = key;
    return row;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int rows = 100000;
    int checked = 10000;
    bool views = false;
    QString parent = QDir::tempPath();
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--views") == 0)
            views = true;
        else if (std::strcmp(argv[i], "--in") == 0 && i + 1 < argc)
            parent = QString::fromLocal8Bit(argv[++i]);
        else
            numbers.push_back(std::atoi(argv[i]));
    }
    if (numbers.size() > 0) rows = numbers[0];
    if (numbers.size() > 1) checked = numbers[1];
    if (rows < 2 * checked) {
        std::fprintf(stderr, "rows must be at least twice the checked rows\n");
        return 2;
    }

    QTemporaryDir dir(parent + "/delete-bench-XXXXXX");
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(parent));
        return 1;
    }
    const std::string root = dir.path().toStdString();
    BenchActionHost host;
    std::mt19937_64 random(1);
    std::array<std::vector<ResultRow>, kResultListCount> lists;
    std::uint64_t bytesOnDisk = 0;
    const auto add = [&](int list, ResultRow row) {
        lists[static_cast<std::size_t>(list)].push_back(row);
        lists[0].push_back(std::move(row));
    };
    // Checked groups: a checked copy and the original that stays, 100 groups per folder.
    for (int g = 0; g < checked; ++g) {
        const std::string folder = root + "/d" + std::to_string(g / 100);
        if (g % 100 == 0) mkdir(folder.c_str(), 0755);
        const auto [list, size] = PickSize(random);
        std::vector<char> bytes(size);
        for (char& b : bytes)
            b = static_cast<char>(random());
        const std::string a = "a" + std::to_string(g);
        const std::string b = "b" + std::to_string(g);
        if (!WriteFile(folder + "/" + a, bytes) || !WriteFile(folder + "/" + b, bytes)) {
            std::fprintf(stderr, "cannot write under %s\n", root.c_str());
            return 1;
        }
        bytesOnDisk += 2 * size;
        const QString key =
            QString::asprintf("%013llu_%d", static_cast<unsigned long long>(size), g);
        ResultRow copy = Row(folder, b, key);
        copy.checked = true;
        add(list, Row(folder, a, key));
        add(list, std::move(copy));
    }
    // Groups with nothing checked make up the rest; their files need not exist.
    for (int r = 0; r < rows - 2 * checked; ++r) {
        const auto [list, size] = PickSize(random);
        const QString key =
            QString::asprintf("%013llu_x%d", static_cast<unsigned long long>(size), r / 2);
        add(list, Row(root + "/other", "f" + std::to_string(r), key));
    }
    for (int k = 0; k < kResultListCount; ++k) {
        // The checked mark is per list: only the All list's rows carry it.
        if (k > 0)
            for (ResultRow& row : lists[static_cast<std::size_t>(k)])
                row.checked = false;
        host.results.List(k).InsertSorted(std::move(lists[static_cast<std::size_t>(k)]));
    }
    std::vector<std::unique_ptr<QTableView>> tables;
    if (views) {
        for (int k = 0; k < kResultListCount; ++k) {
            tables.push_back(std::make_unique<QTableView>());
            tables.back()->setModel(&host.results.List(k));
            tables.back()->resize(800, 600);
            if (k == 0) tables.back()->show();
        }
        QCoreApplication::processEvents();
    }
    std::printf("%d rows, %d checked, %.1f MB of checked files and copies%s\n",
                host.results.List(0).RowCount(), checked, static_cast<double>(bytesOnDisk) / 1e6,
                views ? ", table views" : "");

    auto owned = std::make_unique<TimedFileSystem>();
    TimedFileSystem& fs = *owned;
    ReplaceFileSystemService(std::move(owned));
    QElapsedTimer timer;
    const double cpuBefore = CpuSeconds();
    timer.start();
    DeleteCommand(host);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("delete: %.3f s in all, %.3f s in unlink, %.3f s in reads, %.3f s the rest "
                "(%ld yields); %.3f s of processor time; All list now %d rows\n",
                seconds, fs.deleting, fs.reading, seconds - fs.deleting - fs.reading, host.yields,
                cpu, host.results.List(0).RowCount());
    return host.results.List(0).RowCount() == rows - checked ? 0 : 1;
}

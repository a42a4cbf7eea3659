// Headless run of the find job's engine phases over given folders, or of opening a result file,
// for measuring speed.
#include "BenchHost.h"
#include "ComparePhase.h"
#include "FileSystem.h"
#include "FilterPhase.h"
#include "FindJob.h"
#include "HeldGroups.h"
#include "InstanceLock.h"
#include "LineFile.h"
#include "LoadResult.h"
#include "PathText.h"
#include "ResultFile.h"
#include "ResultSet.h"
#include "ScanLists.h"
#include "Scanner.h"
#include "ShadeGroups.h"
#include "SizeClass.h"
#include "StoreWriter.h"
#include "WorkStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quilder;

namespace {

void Usage() {
    std::fprintf(stderr, "usage: quilder-bench [--classes CODES] [--store DIR] FOLDER...\n"
                         "       quilder-bench --open FILE\n");
}

bool ParseClasses(const std::string& codes, std::array<bool, 8>& boxes) {
    boxes.fill(false);
    std::size_t start = 0;
    while (start <= codes.size()) {
        const std::size_t comma = codes.find(',', start);
        const std::string code =
            codes.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const int order = OrderOfCode(code);
        if (order < 0) return false;
        boxes[BoxOfOrder(order)] = true;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

long PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The folder as an absolute path without a trailing separator; its bytes are kept.
std::string Absolute(const std::string& folder) {
    std::string path = std::filesystem::absolute(folder).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

struct Arguments {
    std::array<bool, 8> boxes{};
    std::string store;
    QStringList folders;
    QString resultFile; // --open: load this result file instead of running a job
};

std::optional<Arguments> Parse(int argc, char** argv) {
    Arguments args;
    args.boxes.fill(true);
    args.boxes[0] = false; // box 0 is "All Files", not a class
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--classes" && i + 1 < argc) {
            if (!ParseClasses(argv[++i], args.boxes)) return std::nullopt;
        } else if (arg == "--store" && i + 1 < argc) {
            args.store = argv[++i];
            if (args.store.empty()) return std::nullopt;
            args.store = Absolute(args.store);
        } else if (arg == "--open" && i + 1 < argc) {
            args.resultFile = PathToText(argv[++i]);
            if (args.resultFile.isEmpty()) return std::nullopt;
        } else if (arg.starts_with("--")) {
            return std::nullopt;
        } else {
            args.folders << PathToText(Absolute(arg));
        }
    }
    if (args.folders.isEmpty() == args.resultFile.isEmpty()) return std::nullopt;
    return args;
}

void Report(const char* phase, qint64 ms) {
    std::fprintf(stderr, "%s ms: %lld\n", phase, static_cast<long long>(ms));
}

// The find job's engine phases, each timed. The first store failure is handed back; like the
// find job, the run goes on after one.
std::optional<StoreFailure> RunJob(BenchHost& host, ResultSet& results, QElapsedTimer& clock) {
    std::optional<StoreFailure> failure;
    const auto note = [&](std::optional<StoreFailure> f) {
        if (f && !failure) failure = std::move(f);
    };
    note(ResetScanStore());
    Report("reset-scan-store", clock.restart());
    note(RunScanningPhase(host, host.NodeCount()).failure);
    Report("scanning", clock.restart());
    note(RunFilteringPhase(host).failure);
    Report("filtering", clock.restart());
    note(ResetCompareStore());
    Report("reset-compare-store", clock.restart());
    {
        // As in the window, the groups found so far are loaded at the loader's interval while
        // comparing goes on: the rows grow as the groups held for them are let go.
        QTimer loader;
        loader.setInterval(kLoaderIntervalMs);
        QObject::connect(&loader, &QTimer::timeout, [&] { LoadResult(results, host, QString()); });
        loader.start();
        note(RunComparingPhase(host).failure);
    }
    Report("comparing", clock.restart());
    return failure;
}

// The listing as the window would show it: loaded into the eight result lists (from the work
// store when resultFile is empty), shaded, the All list written as a result file to standard
// output, and the counts text of every list to standard error.
bool LoadAndList(BenchHost& host, ResultSet& results, const QString& resultFile,
                 QElapsedTimer& clock, const QElapsedTimer& total) {
    LoadResult(results, host, resultFile);
    Report("loading", clock.restart());
    if (resultFile.isEmpty()) WriteUntakenGroups();
    ShadeGroups(results, host);
    Report("shading", clock.restart());
    // What the user waits for: the last row shaded. The store's housekeeping goes on behind.
    Report("results", total.elapsed());
    host.FinishGapProbe(); // the window's job ends here
    QFile out;
    const bool written = out.open(stdout, QIODevice::WriteOnly) &&
                         WriteResultLines(results.AllList(), out) && out.flush();
    Report("writing", clock.restart());
    for (int i = 0; i < kResultListCount; ++i)
        std::fprintf(stderr, "list %d: %s\n", i, results.CountsText(i).toUtf8().constData());
    return written;
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN); // a file-size limit fails the write, to be reported, not the run
    // Nothing here needs glib's main loop; Qt's own dispatcher does a yield with far less work
    // (the comparing phase yields once per list position). An empty QT_NO_GLIB keeps glib's.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const std::optional<Arguments> args = Parse(argc, argv);
    if (!args) {
        Usage();
        return 2;
    }
    for (const QString& folder : args->folders) {
        struct stat st {};
        if (stat(TextToPath(folder).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            std::fprintf(stderr, "quilder-bench: no such folder: %s\n", TextToPath(folder).c_str());
            return 2;
        }
    }

    // Without --store the work store lives in a temporary folder that goes at the end; a given
    // folder is the program folder itself and is kept, so that the store can be looked at.
    std::optional<QTemporaryDir> temporary;
    std::string programFolder = args->store;
    if (programFolder.empty()) {
        temporary.emplace(QDir::tempPath() + "/quilder-bench-XXXXXX");
        if (!temporary->isValid()) {
            std::fprintf(stderr, "quilder-bench: cannot create a work store\n");
            return 1;
        }
        programFolder = TextToPath(temporary->path());
    } else {
        FileSystemService().CreateFolder(programFolder);
        while (programFolder.size() > 1 && programFolder.back() == '/')
            programFolder.pop_back();
    }
    InitWorkStorePaths(programFolder);
    // The window takes the same lock: two programs on one store would rebuild it under each other.
    QLockFile lock(InstanceLockPath(PathToText(programFolder)));
    if (args->resultFile.isEmpty() && !lock.tryLock(0)) {
        qint64 pid = 0;
        QString host;
        QString app;
        lock.getLockInfo(&pid, &host, &app);
        std::fprintf(
            stderr,
            "quilder-bench: the work store %s is in use by another program (process %lld)\n",
            programFolder.c_str(), static_cast<long long>(pid));
        return 1;
    }
    BenchHost host(args->folders, args->boxes);
    ResultSet results;

    QElapsedTimer total;
    total.start();
    QElapsedTimer clock;
    clock.start();
    bool written = false;
    std::optional<StoreFailure> failure;
    host.StartGapProbe();
    if (!args->resultFile.isEmpty()) {
        written = LoadAndList(host, results, args->resultFile, clock, total);
    } else {
        failure = RunJob(host, results, clock);
        // The peak while the engine ran, with the rows loaded at the loader's interval so far.
        std::fprintf(stderr, "peak resident KB before the last load: %ld\n", PeakResidentKb());
        written = LoadAndList(host, results, {}, clock, total);
    }
    // The run ends with the store as the job leaves it: the writes still under way are timed too.
    StoreWriterService().Drain();
    Report("store-writer-tail", clock.restart());
    // So is the removal of the previous job's lists: a run that left it unfinished would hand
    // its work on to the next run.
    AwaitScanListRemoval();
    Report("old-list-removal-tail", clock.restart());
    const StoreWriter::Counts writes = StoreWriterService().Done();
    std::fprintf(stderr, "store writer: %zu files written, %zu deleted\n", writes.appends,
                 writes.deletes);
    if (!failure) failure = StoreWriterService().TakeFailure();
    if (failure)
        std::fprintf(stderr, "quilder-bench: cannot write the work store: %s: %s\n",
                     failure->path.c_str(), failure->reason.toLocal8Bit().constData());
    Report("total", total.elapsed());
    std::fprintf(stderr, "peak resident KB: %ld\n", PeakResidentKb());
    ReleaseScanListsService();
    ReleaseLineFileService();
    ReleaseStoreWriterService();
    ReleaseHeldGroupsService();
    // The file-system service removes a store of tens of thousands of lists far faster than
    // QTemporaryDir's own clean-up would.
    if (temporary) FileSystemService().DeleteFolder(programFolder);
    ReleaseFileSystemService();
    return written && !failure ? 0 : 1;
}

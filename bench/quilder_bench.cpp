// Headless run of the find job's engine phases over given folders, or of opening a result file,
// for measuring speed.
#include "BenchHost.h"
#include "ComparePhase.h"
#include "FileSystem.h"
#include "FilterPhase.h"
#include "LineFile.h"
#include "LoadResult.h"
#include "PathText.h"
#include "ResultFile.h"
#include "ResultSet.h"
#include "Scanner.h"
#include "ShadeGroups.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>
#include <string>
#include <sys/resource.h>

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
        } else if (arg == "--open" && i + 1 < argc) {
            args.resultFile = PathToText(argv[++i]);
            if (args.resultFile.isEmpty()) return std::nullopt;
        } else if (arg.starts_with("--")) {
            return std::nullopt;
        } else {
            std::string folder = arg;
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            args.folders << PathToText(folder);
        }
    }
    if (args.folders.isEmpty() == args.resultFile.isEmpty()) return std::nullopt;
    return args;
}

void Report(const char* phase, qint64 ms) {
    std::fprintf(stderr, "%s ms: %lld\n", phase, static_cast<long long>(ms));
}

// The find job's engine phases, each timed.
void RunJob(BenchHost& host, QElapsedTimer& clock) {
    ResetScanStore();
    Report("reset-scan-store", clock.restart());
    RunScanningPhase(host, host.NodeCount());
    Report("scanning", clock.restart());
    RunFilteringPhase(host);
    Report("filtering", clock.restart());
    ResetCompareStore();
    Report("reset-compare-store", clock.restart());
    RunComparingPhase(host);
    Report("comparing", clock.restart());
}

// The listing as the window would show it: loaded into the eight result lists (from the work
// store when resultFile is empty), shaded, the All list written as a result file to standard
// output, and the counts text of every list to standard error.
bool LoadAndList(EngineHost& host, const QString& resultFile, QElapsedTimer& clock) {
    ResultSet results;
    LoadResult(results, host, resultFile);
    Report("loading", clock.restart());
    ShadeGroups(results);
    Report("shading", clock.restart());
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
    // Nothing here needs glib's main loop; Qt's own dispatcher does a yield with far less work
    // (the comparing phase yields once per list position). An empty QT_NO_GLIB keeps glib's.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const std::optional<Arguments> args = Parse(argc, argv);
    if (!args) {
        Usage();
        return 2;
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
    BenchHost host(args->folders, args->boxes);

    QElapsedTimer total;
    total.start();
    QElapsedTimer clock;
    clock.start();
    bool written = false;
    if (!args->resultFile.isEmpty()) {
        written = LoadAndList(host, args->resultFile, clock);
    } else {
        RunJob(host, clock);
        written = LoadAndList(host, {}, clock);
    }
    Report("total", total.elapsed());
    std::fprintf(stderr, "peak resident KB: %ld\n", PeakResidentKb());
    ReleaseLineFileService();
    // The file-system service removes a store of tens of thousands of lists far faster than
    // QTemporaryDir's own clean-up would.
    if (temporary) FileSystemService().DeleteFolder(programFolder);
    ReleaseFileSystemService();
    return written ? 0 : 1;
}

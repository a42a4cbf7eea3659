// Headless run of the find job's engine phases over given folders, for measuring speed.
#include "BenchHost.h"
#include "FileSystem.h"
#include "LineFile.h"
#include "PathText.h"
#include "Scanner.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>

using namespace quilder;

namespace {

void Usage() {
    std::fprintf(stderr, "usage: quilder-bench [--classes CODES] [--store DIR] FOLDER...\n");
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::array<bool, 8> boxes{};
    boxes.fill(true);
    std::string storeParent;
    QStringList folders;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--classes" && i + 1 < argc) {
            if (!ParseClasses(argv[++i], boxes)) {
                Usage();
                return 2;
            }
        } else if (arg == "--store" && i + 1 < argc) {
            storeParent = argv[++i];
        } else if (arg.starts_with("--")) {
            Usage();
            return 2;
        } else {
            std::string folder = arg;
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            folders << PathToText(folder);
        }
    }
    if (folders.isEmpty()) {
        Usage();
        return 2;
    }

    QTemporaryDir temporary(storeParent.empty()
                                ? QDir::tempPath() + "/quilder-bench-XXXXXX"
                                : PathToText(storeParent) + "/quilder-bench-XXXXXX");
    if (!temporary.isValid()) {
        std::fprintf(stderr, "quilder-bench: cannot create a work store\n");
        return 1;
    }
    InitWorkStorePaths(TextToPath(temporary.path()));
    BenchHost host(folders, boxes);

    QElapsedTimer clock;
    clock.start();
    ResetScanStore();
    const qint64 reset = clock.restart();
    RunScanningPhase(host, host.NodeCount());
    const qint64 scan = clock.restart();

    std::fprintf(stderr, "reset-scan-store ms: %lld\n", static_cast<long long>(reset));
    std::fprintf(stderr, "scanning ms: %lld\n", static_cast<long long>(scan));
    std::fprintf(stderr, "peak resident KB: %ld\n", PeakResidentKb());
    ReleaseLineFileService();
    ReleaseFileSystemService();
    return 0;
}

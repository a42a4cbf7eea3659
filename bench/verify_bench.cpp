// Times Verify Groups on a saved result: opens the result file as the window does, verifies
// every group, prints the time, the notice and the counts, and writes the verified listing to
// OUT (when given) so that it can be opened again. The second form makes a case first: COUNT
// files of BYTES bytes in FOLDER, all in one group of RESULT, that differ in their first bytes
// (head), only in their last byte (tail), or not at all (same).
//   verify-bench RESULT [OUT]
//   verify-bench --make FOLDER COUNT BYTES head|tail|same RESULT
#include "BenchHost.h"
#include "DesktopKit.h"
#include "LoadResult.h"
#include "PathText.h"
#include "Prompt.h"
#include "ResultFile.h"
#include "ResultSet.h"
#include "TaskHost.h"
#include "VerifyGroups.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace quilder;

class PrintingPrompt : public Prompt {
public:
    void Notice(const QString& text) override { std::printf("notice: %s\n", qPrintable(text)); }
    PromptAnswer AskYesNo(const QString&) override { return PromptAnswer::No; }
    PromptAnswer AskYesNoCancel(const QString&) override { return PromptAnswer::No; }
    PromptAnswer AskYesNoDefaultNo(const QString&) override { return PromptAnswer::No; }
};

class VerifyHost : public TaskHost {
public:
    VerifyHost(ResultSet& results, DesktopKit* desktop) : results_(results), desktop_(desktop) {}
    ResultSet& Results() override { return results_; }
    Prompt& Prompts() override { return prompt_; }
    DesktopKit& Desktop() override { return *desktop_; } // not asked for by Verify Groups
    void Yield() override { ++yields; }
    bool StopRequested() const override { return false; }
    void SetStopRequested(bool) override {}
    QString StatusText() const override { return {}; }
    void SetStatusText(const QString&) override {}
    void SetAnimationInterval(int) override {}
    long long yields = 0;

private:
    ResultSet& results_;
    DesktopKit* desktop_;
    PrintingPrompt prompt_;
};

// Writes the files of the case and the result file that holds them as one group.
bool MakeCase(const char* folder, long long count, long long bytes, const char* kind,
              const char* result) {
    const std::string how(kind);
    if (count < 1 || bytes < 1 || (how != "head" && how != "tail" && how != "same")) return false;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    // The result file names files by absolute paths.
    const std::string root = QDir(QString::fromLocal8Bit(folder)).absolutePath().toStdString();
    std::string content(static_cast<std::size_t>(bytes), '\0');
    unsigned seed = 12345;
    for (char& c : content)
        c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    const std::string key =
        QStringLiteral("%1_1").arg(bytes, 13, 10, QLatin1Char('0')).toStdString();
    std::string lines;
    for (long long i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%05lld", i);
        const std::string path = root + name;
        const std::size_t at =
            how == "tail" ? content.size() - std::min<std::size_t>(8, content.size()) : 0;
        if (how != "same")
            std::memcpy(content.data() + at, &i, std::min<std::size_t>(8, content.size()));
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::WriteOnly) || file.write(content.data(), bytes) != bytes)
            return false;
        lines += path + "\t" + key + "\r\n";
    }
    QFile out(QString::fromLocal8Bit(result));
    return out.open(QIODevice::WriteOnly) &&
           out.write(lines.data(), static_cast<qint64>(lines.size())) ==
               static_cast<qint64>(lines.size());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 7 && std::strcmp(argv[1], "--make") == 0) {
        if (!MakeCase(argv[2], std::atoll(argv[3]), std::atoll(argv[4]), argv[5], argv[6]))
            return std::fprintf(stderr, "verify-bench: cannot make the case\n"), 1;
        argv[1] = argv[6];
        argc = 2;
    }
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: verify-bench RESULT [OUT]\n"
                     "       verify-bench --make FOLDER COUNT BYTES head|tail|same RESULT\n");
        return 2;
    }
    ResultSet results;
    BenchHost loader({}, {});
    QElapsedTimer clock;
    clock.start();
    LoadResult(results, loader, PathToText(argv[1]));
    std::printf("loading ms: %lld\n", static_cast<long long>(clock.restart()));
    std::printf("before: %s\n", qPrintable(results.CountsText(0)));
    VerifyHost host(results, nullptr);
    VerifyGroupsCommand(host);
    std::printf("verifying ms: %lld (%lld yields)\n", static_cast<long long>(clock.elapsed()),
                host.yields);
    std::printf("after: %s\n", qPrintable(results.CountsText(0)));
    if (argc < 3) return 0;
    QFile out(PathToText(argv[2]));
    return out.open(QIODevice::WriteOnly) && WriteResultLines(results.AllList(), out) ? 0 : 1;
}

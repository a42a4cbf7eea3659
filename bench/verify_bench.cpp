// Times Verify Groups on a saved result: opens the result file as the window does, verifies
// every group, prints the time, the notice and the counts, and writes the verified listing to
// OUT (when given) so that it can be opened again.
//   verify-bench RESULT [OUT]
#include "ActionHost.h"
#include "BenchHost.h"
#include "DesktopKit.h"
#include "LoadResult.h"
#include "PathText.h"
#include "Prompt.h"
#include "ResultFile.h"
#include "ResultSet.h"
#include "VerifyGroups.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

using namespace quilder;

class PrintingPrompt : public Prompt {
public:
    void Notice(const QString& text) override { std::printf("notice: %s\n", qPrintable(text)); }
    PromptAnswer AskYesNo(const QString&) override { return PromptAnswer::No; }
    PromptAnswer AskYesNoCancel(const QString&) override { return PromptAnswer::No; }
    PromptAnswer AskYesNoDefaultNo(const QString&) override { return PromptAnswer::No; }
};

class VerifyHost : public ActionHost {
public:
    VerifyHost(ResultSet& results, DesktopKit* desktop) : results_(results), desktop_(desktop) {}
    ResultSet& Results() override { return results_; }
    Prompt& Prompts() override { return prompt_; }
    DesktopKit& Desktop() override { return *desktop_; } // not asked for by Verify Groups
    bool Yield() override { return ++yields, true; }
    bool StopRequested() const override { return false; }
    void SetStopRequested(bool) override {}
    QString StatusText() const override { return {}; }
    void SetStatusText(const QString&) override {}
    long long yields = 0;

private:
    ResultSet& results_;
    DesktopKit* desktop_;
    PrintingPrompt prompt_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: verify-bench RESULT [OUT]\n");
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

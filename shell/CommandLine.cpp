#include "CommandLine.h"

#include "MenuTable.h"

namespace quilder {

namespace {

const QString kUsage = QStringLiteral(
    "Usage: quilder [--help | --version]\n"
    "\n"
    "Finds duplicate files. Tick folders and size classes in the window, then Find (F3);\n"
    "the search, Delete and the other commands all work in the window.\n"
    "\n"
    "  -h, --help  print this text and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "A second start brings the running window to the front. The user's guide is under\n"
    "Help, Help Topics (F1); see also quilder(1).\n");

} // namespace

std::optional<QString> CommandLineAnswer(const QStringList& arguments) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h")))
        return kUsage;
    if (arguments.contains(QLatin1String("--version")))
        return QStringLiteral("quilder %1 (%2)\n")
            .arg(QStringLiteral(QUILDER_PROJECT_VERSION),
                 QString::fromLatin1(kVersionText.data(),
                                     static_cast<qsizetype>(kVersionText.size())));
    return std::nullopt;
}

} // namespace quilder

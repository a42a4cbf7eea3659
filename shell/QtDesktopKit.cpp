#include "QtDesktopKit.h"

#include "PathText.h"
#include "WindowHandles.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>
#include <QWidget>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {

// A local file URL that keeps every byte of the name, also bytes that are not UTF-8.
QUrl LocalFileUrl(const std::string& path) {
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"));
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Starts a program on its own, in its folder. False when it cannot be started (for instance a
// document that merely carries the executable mode bit, as on FAT and NTFS volumes).
bool StartProgram(const std::string& path) {
    const QString program = QFile::decodeName(QByteArray::fromStdString(path));
    if (QFile::encodeName(program).toStdString() != path) return false; // not expressible
    const qsizetype slash = program.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash > 0 ? program.left(slash) : QStringLiteral("/");
    return QProcess::startDetached(program, {}, folder);
}

} // namespace

QStringList NameFiltersOf(const QString& filter) {
    QStringList parts = filter.split(QChar(u'\0'));
    if (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast(); // a closing NUL
    static const QRegularExpression patternInParentheses(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(patternInParentheses);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        if (patterns.isEmpty()) continue;
        filters << description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

void QtDesktopKit::SendWindowMessage(WindowHandle window, int message, std::int64_t, std::int64_t) {
    if (message != kCloseMessage) return;
    if (QWidget* widget = WindowOfHandle(window)) widget->close();
}

QStringList QtDesktopKit::ShowOpenDialog(WindowHandle owner, const QString& title,
                                         const QString& filter, const QString& initialPath,
                                         bool multiSelect) {
    QFileDialog dialog(WindowOfHandle(owner), title, StartFolder(initialPath));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFiltersOf(filter));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty()) Remember(chosen.first());
    return chosen;
}

QString QtDesktopKit::ShowSaveDialog(WindowHandle owner, const QString& title,
                                     const QString& initialPath, const QString& filter,
                                     const QString& initialName, const QString&) {
    QFileDialog dialog(WindowOfHandle(owner), title, StartFolder(initialPath));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(NameFiltersOf(filter));
    // No default suffix here: a desktop's own dialog asks before replacing the name as typed,
    // not the name with the suffix, so the caller adds it and asks about that name itself.
    if (!initialName.isEmpty()) dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QString chosen = dialog.selectedFiles().value(0);
    Remember(chosen);
    return chosen;
}

QString QtDesktopKit::StartFolder(const QString& initialPath) const {
    if (!initialPath.isEmpty()) return initialPath;
    // Not the folder the program happened to be started from: the user's files are at home.
    if (!lastFolder_.isEmpty() && QDir(lastFolder_).exists()) return lastFolder_;
    return QDir::homePath();
}

void QtDesktopKit::Remember(const QString& chosenFile) {
    if (!chosenFile.isEmpty()) lastFolder_ = QFileInfo(chosenFile).absolutePath();
}

bool QtDesktopKit::OpenItem(const QString& path, int) {
    const std::string bytes = TextToPath(path);
    if (bytes.empty()) return false;
    if (IsExecutableFile(bytes) && StartProgram(bytes)) return true;
    return QDesktopServices::openUrl(LocalFileUrl(bytes));
}

bool QtDesktopKit::OpenAddress(const QString& address, int) {
    // Web and mail addresses only: an address never starts a program or opens a local file.
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http") &&
                           scheme != QLatin1String("mailto")))
        return false;
    return QDesktopServices::openUrl(url);
}

WindowHandle QtDesktopKit::FindTitledWindow(const QString& title) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window->isVisible() && window->windowTitle() == title) return HandleOfWindow(window);
    return 0;
}

} // namespace quilder

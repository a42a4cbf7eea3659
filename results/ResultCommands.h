#pragma once

#include <QString>

namespace quilder {

class Prompt;
class ResultCommandHost;
class ResultSet;

inline const QString kSaveQuestion =
    QStringLiteral("The result has been changed, do you want to save it befor starting a new job?");
inline const QString kNoResultNotice = QStringLiteral("No result for saving!");
inline const QString kLoadRunningNotice =
    QStringLiteral("A result is being loaded. Wait until it has finished, then try again.");

// A command that would change the lists refuses while a find job, a check or a load runs, and
// tells the user why. True when it refused.
bool RefuseWhileBusy(const ResultSet& results, Prompt& prompt);

// "QDR Result Files (*.qdr)" and "All Files (*.*)", description and pattern separated by NULs.
QString ResultFileFilter();
// path with "." + extension added when its file name has no extension of its own.
QString WithDefaultSuffix(const QString& path, const QString& extension);
// Asked before a save replaces a file the save dialog did not ask about.
QString ReplaceQuestion(const QString& path);

// The commands of the File menu that create, open and save results, and the periodic load of a
// find job. The result set and the host must outlive the object.
class ResultCommands {
public:
    ResultCommands(ResultSet& results, ResultCommandHost& host) : results_(results), host_(host) {}

    // Asks whether to save a result that is unsaved or changed. True when the caller may throw
    // the result away: there was nothing to save, the user said No, or the save succeeded.
    bool OfferToSaveResult();
    // Writes the All list to the current result file, asking for a name first when there is
    // none or askName is set; a name without an extension gets ".qdr". True when the file was
    // written; refused while a load runs.
    bool SaveResult(bool askName);
    // Empties the All list and sets the search setup back: all classes, a fresh folder tree.
    void NewJob();
    // Replaces the lists with the rows of a result file the user chooses, which then becomes
    // the current result file.
    void OpenResultFile();
    // Tick of timLoader: moves the groups the engine has finished into the lists.
    void LoaderTick();

private:
    bool RefuseWhileBusy() const;

    ResultSet& results_;
    ResultCommandHost& host_;
};

} // namespace quilder

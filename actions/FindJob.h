#pragma once

#include "EngineHost.h"
#include "TaskHost.h"

#include <QString>

namespace quilder {

// What only the find job needs of the window, beyond the engine's host and a task's.
class FindJobHost : public EngineHost, public virtual TaskHost {
public:
    // The loader timer: 0 stops it, any other value (re)starts it; each tick loads the groups
    // finished so far.
    virtual void SetLoaderInterval(int milliseconds) = 0;
    // Asks to save a result that would be thrown away; false when the user cancels.
    virtual bool OfferToSaveResult() = 0;
};

inline const QString kNoClassMessage =
    QStringLiteral("Please select the size type of the destination files.");
inline const QString kNoFolderMessage = QStringLiteral("Please select the destination path(s).");
inline const QString kStoreFailureNotice = QStringLiteral(
    "The work store could not be written, so the result may be incomplete.\n\n%1\n%2");
inline const QString kIncompleteStatus =
    QStringLiteral("Not finished: the work store could not be written.");

inline constexpr int kAnimationIntervalMs = 200;
inline constexpr int kLoaderIntervalMs = 4996;

// One run of Find Duplicate Files, from the selection checks to the shaded, counted groups.
void RunFindJob(FindJobHost& host);

// The next text of an animated status panel: phase texts gain a dot per tick up to three, then
// start again; any other text stays.
QString AnimateStatus(const QString& text);

} // namespace quilder

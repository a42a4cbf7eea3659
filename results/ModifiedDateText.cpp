#include "ModifiedDateText.h"

#include <QHash>
#include <QLocale>

namespace quilder {

namespace {

// The locale's long time format, which has the seconds, without its time-zone name: the
// column has no room for it and every date of a list is in the same zone.
QString TimeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        kept += c;
    }
    return kept.simplified();
}

} // namespace

QString ModifiedDateText(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime time = when.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += QLatin1Char(' ') + locale.toString(time, TimeFormatWithoutZone(locale));
    return text;
}

QString ModifiedDateText(std::int64_t secondsSinceEpoch) {
    static QHash<std::int64_t, QString> recent;
    const auto found = recent.constFind(secondsSinceEpoch);
    if (found != recent.constEnd()) return *found;
    if (recent.size() >= 4096) recent.clear();
    const QString text =
        ModifiedDateText(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secondsSinceEpoch)));
    recent.insert(secondsSinceEpoch, text);
    return text;
}

} // namespace quilder

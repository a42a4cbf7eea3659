#include "TypeDescription.h"

#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <vector>

namespace quilder {

namespace {

// Asking the MIME database for a name it cannot match by suffix costs tens of microseconds (it
// builds a regular expression per unusual pattern on every call), which a result of 100,000 rows
// cannot afford. Unless the name is one of the few literal names or unusual patterns, the answer
// depends only on the name's suffixes, all of which lie in the text from its first dot: that
// text is the key of a cache that gives exactly what the database would.
class TypeCache {
public:
    QString Describe(const QString& name) {
        // Learning the patterns reads every type's definition (about 0.1 s): worth it only for
        // a long run of names, such as a large result.
        if (asked_ < kAskBeforeLearning) {
            ++asked_;
            return Ask(name);
        }
        if (!learned_) Learn();
        return DescribeFromCache(name);
    }

private:
    static constexpr int kAskBeforeLearning = 500;

    void Learn() {
        learned_ = true;
        for (const QMimeType& type : database_.allMimeTypes()) {
            for (const QString& pattern : type.globPatterns()) {
                const bool wild = pattern.contains(QLatin1Char('*')) ||
                                  pattern.contains(QLatin1Char('?')) ||
                                  pattern.contains(QLatin1Char('['));
                if (!wild) {
                    literals_.insert(pattern.toLower());
                } else if (!IsSimpleSuffix(pattern)) {
                    unusual_.push_back(
                        {LongestLiteral(pattern),
                         QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive)});
                    unusual_.back().expression.optimize();
                }
            }
        }
    }

    QString DescribeFromCache(const QString& name) {
        if (NeedsDatabase(name)) return Ask(name);
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        const QString key = dot < 0 ? QString() : name.mid(dot);
        const auto found = bySuffix_.constFind(key);
        if (found != bySuffix_.constEnd()) return *found;
        if (bySuffix_.size() > 50000) bySuffix_.clear(); // bounded: names of a huge tree
        const QString description = Ask(name);
        bySuffix_.insert(key, description);
        return description;
    }

    static bool IsSimpleSuffix(const QString& pattern) {
        if (!pattern.startsWith(QLatin1String("*."))) return false;
        const QStringView rest = QStringView(pattern).mid(2);
        return !rest.contains(QLatin1Char('*')) && !rest.contains(QLatin1Char('?')) &&
               !rest.contains(QLatin1Char('['));
    }

    // The longest run of plain characters of a pattern: a name without it cannot match.
    static QString LongestLiteral(const QString& pattern) {
        QString best, run;
        bool inClass = false;
        for (const QChar c : pattern) {
            if (c == QLatin1Char('[')) inClass = true;
            const bool plain = !inClass && c != QLatin1Char('*') && c != QLatin1Char('?');
            if (c == QLatin1Char(']')) inClass = false;
            if (plain) {
                run += c;
                if (run.size() > best.size()) best = run;
            } else {
                run.clear();
            }
        }
        return best;
    }

    bool NeedsDatabase(const QString& name) const {
        if (literals_.contains(name.toLower())) return true;
        for (const UnusualPattern& pattern : unusual_)
            if (name.contains(pattern.literal, Qt::CaseInsensitive) &&
                pattern.expression.match(name).hasMatch())
                return true;
        return false;
    }

    QString Ask(const QString& name) const {
        return database_.mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment();
    }

    struct UnusualPattern {
        QString literal;
        QRegularExpression expression;
    };

    QMimeDatabase database_;
    int asked_ = 0;
    bool learned_ = false;
    QSet<QString> literals_;
    std::vector<UnusualPattern> unusual_;
    QHash<QString, QString> bySuffix_;
};

} // namespace

QString TypeDescriptionOf(const QString& fileName) {
    static TypeCache cache;
    return cache.Describe(fileName);
}

} // namespace quilder

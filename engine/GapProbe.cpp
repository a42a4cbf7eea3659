#include "GapProbe.h"

#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <chrono>

namespace quilder {

GapProbe::GapProbe(Clock clock) : clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] {
            return static_cast<std::int64_t>(
                std::chrono::steady_clock::now().time_since_epoch().count());
        };
}

void GapProbe::Start() {
    phases_.clear();
    during_.clear();
    current_ = SIZE_MAX;
    lastTurn_ = clock_();
    running_ = true;
}

std::size_t GapProbe::IndexOf(const QString& name) {
    for (std::size_t k = 0; k < phases_.size(); ++k)
        if (phases_[k].name == name) return k;
    phases_.push_back({name, 0, 0, {}});
    return phases_.size() - 1;
}

void GapProbe::SetStatus(const QString& text) {
    if (!running_) return;
    status_ = text;
    const QString word = text.section(QLatin1Char(' '), 0, 0);
    const std::size_t phase = IndexOf(word.isEmpty() ? QStringLiteral("-") : word);
    current_ = phase;
    if (std::find(during_.begin(), during_.end(), phase) == during_.end()) during_.push_back(phase);
}

void GapProbe::EndInterval() {
    const std::int64_t now = clock_();
    const std::int64_t gap = now - lastTurn_;
    for (const std::size_t phase : during_) {
        Phase& p = phases_[phase];
        if (gap > p.longest) {
            p.longest = gap;
            p.endedAt = status_;
        }
        ++p.turns;
    }
    during_.clear();
    if (current_ != SIZE_MAX) during_.push_back(current_);
    lastTurn_ = now;
}

void GapProbe::Turn() {
    if (running_) EndInterval();
}

void GapProbe::Finish() {
    if (!running_) return;
    EndInterval();
    running_ = false;
}

std::int64_t GapProbe::Longest(const QString& phase) const {
    for (const Phase& p : phases_)
        if (p.name == phase) return p.longest;
    return 0;
}

bool GapProbe::AppendTo(const QString& file) const {
    QFile out(file);
    if (!out.open(QIODevice::Append | QIODevice::Text)) return false;
    QTextStream text(&out);
    for (const Phase& p : phases_)
        text << p.name << '\t' << QString::number(static_cast<double>(p.longest) / 1e6, 'f', 1)
             << '\t' << p.turns << '\t' << p.endedAt << '\n';
    text << '\n';
    text.flush();
    return out.error() == QFile::NoError;
}

QString GapProbe::LogFileFromEnvironment() {
    return qEnvironmentVariable("QUILDER_GAP_LOG");
}

} // namespace quilder

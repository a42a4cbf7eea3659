#include "SizeText.h"

#include "PathText.h"

#include <algorithm>
#include <array>

namespace quilder {

namespace {

// Whole and hundredths of size / 2^shift, rounded half away from zero, in integers so that no
// size is ever off by a rounding error of a double.
QString Hundredths(std::uint64_t size, int shift, const QLocale& locale) {
    const std::uint64_t whole = size >> shift;
    const std::uint64_t rest = size & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t total =
        whole * 100 + ((rest * 100 + (std::uint64_t{1} << (shift - 1))) >> shift);
    const std::uint64_t cents = total % 100;
    return QString::number(total / 100) + locale.decimalPoint() +
           QLatin1Char(static_cast<char>('0' + cents / 10)) +
           QLatin1Char(static_cast<char>('0' + cents % 10));
}

} // namespace

QString SizeText(std::uint64_t size, SizeUnit unit, const QLocale& locale) {
    switch (unit) {
    case SizeUnit::Bytes:
        return QString::number(size) + QLatin1String(" B");
    case SizeUnit::KB:
        return Hundredths(size, 10, locale) + QLatin1String(" KB");
    case SizeUnit::MB:
        break;
    }
    return Hundredths(size, 20, locale) + QLatin1String(" MB");
}

QString TotalSizeText(std::uint64_t size, const QLocale& locale) {
    static constexpr std::array<const char*, 6> kUnits{" B", " KB", " MB", " GB", " TB", " PB"};
    if (size < 1024) return QString::number(size) + QLatin1String(kUnits[0]);
    std::size_t unit = 1;
    // Tenths of the unit, rounded; a total that rounds up to 1024 of a unit moves to the next.
    const auto tenths = [&size](std::size_t u) {
        const int shift = 10 * static_cast<int>(u);
        const std::uint64_t rest = size & ((std::uint64_t{1} << shift) - 1);
        return (size >> shift) * 10 + ((rest * 10 + (std::uint64_t{1} << (shift - 1))) >> shift);
    };
    while (unit + 1 < kUnits.size() && tenths(unit) >= 10240)
        ++unit;
    const std::uint64_t t = tenths(unit);
    return QString::number(t / 10) + locale.decimalPoint() +
           QLatin1Char(static_cast<char>('0' + t % 10)) + QLatin1String(kUnits[unit]);
}

QString SortKey(std::string_view groupFileName) {
    const std::size_t underscore = groupFileName.find('_');
    std::string_view size = groupFileName.substr(0, underscore);
    const std::string_view rest = underscore == std::string_view::npos
                                      ? std::string_view{}
                                      : groupFileName.substr(underscore);
    std::string key;
    const bool numeric = !size.empty() && std::all_of(size.begin(), size.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
    if (numeric) {
        // As a number: leading zeros of the name do not count towards the 13 digits.
        while (size.size() > 1 && size.front() == '0')
            size.remove_prefix(1);
        if (size.size() < 13) key.assign(13 - size.size(), '0');
    }
    key.append(size);
    key.append(rest);
    return PathToText(key);
}

} // namespace quilder

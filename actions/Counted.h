#pragma once

#include <QString>

namespace quilder {

// `one` for a count of 1, otherwise `many` with the count in place of its "%1".
inline QString Counted(long long count, const char* one, const char* many) {
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(count);
}

} // namespace quilder

#pragma once

#include <QString>

namespace quilder {

struct ResultRow;

// How a row's group was found identical, for the row's tooltip: by its class's comparison (every
// byte, 10-byte blocks, samples, or size alone), or byte for byte by Verify Groups.
QString GroupConfirmation(const ResultRow& row);

} // namespace quilder

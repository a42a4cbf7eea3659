#pragma once

#include "StoreFixture.h"

namespace quilder::test {
using PhaseFixture = StoreFixture;
} // namespace quilder::test

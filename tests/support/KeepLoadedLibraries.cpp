#include "core/assets/LoadedLibraries.h"

#include <gtest/gtest.h>

namespace {

// Tests open windows and graphics contexts in any order; by the time they
// have all run, every library they needed is loaded.
class KeepLibrariesForTheLeakCheck : public testing::Environment {
public:
    void TearDown() override { keepLoadedLibrariesMapped(); }
};

const testing::Environment *const keepLibraries = testing::AddGlobalTestEnvironment(new KeepLibrariesForTheLeakCheck);

} // namespace

#include "elements/Catalogue.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Counts how often an element of this kind is destroyed.
struct Counted {
    static inline int destroyed = 0;
    explicit Counted(bool fail)
    {
        if (fail)
            throw std::runtime_error("refused");
    }
    ~Counted() { ++destroyed; }
    Counted(const Counted &) = delete;
    Counted &operator=(const Counted &) = delete;
};

} // namespace

TEST(ElementArena, DestroysOnReleaseOnlyTheElementsThatWereBuilt)
{
    resetCatalogue();
    Counted::destroyed = 0;
    newElement<Counted>(false);
    EXPECT_THROW(newElement<Counted>(true), std::runtime_error);
    EXPECT_EQ(Counted::destroyed, 0);
    resetCatalogue();
    EXPECT_EQ(Counted::destroyed, 1) << "the element whose constructor threw is not destroyed again";
}

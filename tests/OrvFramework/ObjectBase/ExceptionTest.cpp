#include <gtest/gtest.h>

#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {
namespace {

TEST(ExceptionTest, ThrownErrorsAreCatchableAsStandardAndFrameworkKinds) {
    try {
        ORV_THROW(OutOfRange, "Unknown Path ID.", "LApplication::GetFolder", 12);
    } catch (const std::out_of_range& e) {
        const auto* base = dynamic_cast<const ExceptionBase*>(&e);
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->GetMessage(), e.what());
        EXPECT_EQ(std::string(e.what()).rfind("Out of Range : Unknown Path ID. : LApplication::GetFolder : ", 0), 0u);
    }
    EXPECT_THROW(ORV_THROW_NO_TEXT(BadAlloc, "F", 1), std::bad_alloc);
    EXPECT_EQ(FailedResultText(E_FAIL), "ORVRESULT = 80004005");  // no leading zeros
    EXPECT_EQ(FailedResultText(1), "ORVRESULT = 1");
    EXPECT_THROW(ORV_THROW_IF_FAILED(E_INVALIDARG, "F", 2), FailedResultException);
    EXPECT_NO_THROW(ORV_THROW_IF_FAILED(S_FALSE, "F", 2));
}

}  // namespace
}  // namespace Orv

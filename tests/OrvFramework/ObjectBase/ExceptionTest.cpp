#include <gtest/gtest.h>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/ObjectBase/RCPtr.h"

namespace Orv {
namespace {

class LNotificationLike : public LRefCountedObject {};

TEST(ExceptionTest, MessageShapesOfEveryKind) {
    EXPECT_EQ(FormatErrorMessage(ErrorKind::Runtime, std::nullopt, "Orv::LRefCountedObject::SetUnshareable",
                                 "a.cpp", 28),
              "Runtime Error : Orv::LRefCountedObject::SetUnshareable : a.cpp : Line 28");
    EXPECT_EQ(FormatErrorMessage(ErrorKind::NullPointer, std::string(), "F", "f.cpp", 3),
              "Runtime Error : Null Pointer :  : F : f.cpp : Line 3");
    EXPECT_EQ(FormatErrorMessage(ErrorKind::NullPointer, std::string("Invalid Control Name"), "F", "f.cpp", 3),
              "Runtime Error : Null Pointer : Invalid Control Name : F : f.cpp : Line 3");
    EXPECT_EQ(FormatErrorMessage(ErrorKind::OutOfRange, std::nullopt, "Orv::ArrayUtils::Sort", "u.h", 254),
              "Out of Range : Orv::ArrayUtils::Sort : u.h : Line 254");
    EXPECT_EQ(FormatErrorMessage(ErrorKind::Domain, std::string("x"), "F", "f", 1), "Domain Error : x : F : f : Line 1");
    EXPECT_EQ(FormatErrorMessage(ErrorKind::InvalidArgument, std::string("x"), "F", "f", 1),
              "Invalid Argument : x : F : f : Line 1");
    EXPECT_EQ(FormatErrorMessage(ErrorKind::BadAlloc, std::nullopt, "F", "f", 1), "Bad Alloc : F : f : Line 1");
}

TEST(ExceptionTest, ThrownErrorsAreCatchableAsStandardAndFrameworkKinds) {
    try {
        ORV_THROW(OutOfRange, "Unknown Path ID.", "LApplication::GetFolder", 12);
    } catch (const std::out_of_range& e) {
        const auto* base = dynamic_cast<const ExceptionBase*>(&e);
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->GetMessage(), e.what());
        EXPECT_NE(std::string(e.what()).find("Out of Range : Unknown Path ID. : LApplication::GetFolder : "),
                  std::string::npos);
    }
    try {
        ORV_THROW_NO_TEXT(BadAlloc, "F", 1);
    } catch (const ExceptionBase& e) {
        EXPECT_EQ(e.GetMessage().rfind("Bad Alloc : F : ", 0), 0u);
        EXPECT_NE(dynamic_cast<const std::bad_alloc*>(&e), nullptr);
    }
}

TEST(ExceptionTest, FailedResultTextHasNoLeadingZeros) {
    EXPECT_EQ(FailedResultText(E_FAIL), "ORVRESULT = 80004005");
    EXPECT_EQ(FailedResultText(1), "ORVRESULT = 1");
    EXPECT_THROW(ORV_THROW_IF_FAILED(E_INVALIDARG, "F", 2), FailedResultException);
    EXPECT_NO_THROW(ORV_THROW_IF_FAILED(S_FALSE, "F", 2));
}

TEST(ExceptionTest, FailedUnshareNamesTheTargetType) {
    RCPtr<LNotificationLike> a = MakeRC<LNotificationLike>();
    RCPtr<LNotificationLike> b = a;
    EXPECT_THROW(b.Unshare(), std::logic_error);  // CreateCopy itself is not implemented
    EXPECT_EQ(TypeName<LNotificationLike>(), "class Orv::(anonymous namespace)::LNotificationLike");
    EXPECT_EQ(TypeName<int>(), "int");
}

TEST(ExceptionTest, QuietExitCodes) {
    for (ORVRESULT r : {E_QUIET_EXIT, E_QUIET_EXIT_A000, E_QUIET_EXIT_A001, E_QUIET_EXIT_A002,
                        E_QUIET_EXIT_A010, E_QUIET_EXIT_A003})
        EXPECT_TRUE(IsQuietExitCode(r));
    EXPECT_FALSE(IsQuietExitCode(E_FAIL));
    EXPECT_FALSE(IsQuietExitCode(S_OK));
}

}  // namespace
}  // namespace Orv

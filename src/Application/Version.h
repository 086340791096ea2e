#pragma once
// The program's version information, compiled in from the build (product name, version and company
// name), read by key like the version resource it stands for, and the numbered error texts that
// start-up failures carry.
#include <string>
#include <string_view>

#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

class Version {
public:
    // The values this program was built with.
    Version();
    // Given values (tests, tools). Empty product name or version means no version information:
    // throws Runtime Error with the numbered text of error 902.
    Version(std::string productName, std::string productVersion, std::string companyName);

    // "ProductName", "ProductVersion" or "CompanyName" (case-sensitive); empty for any other key.
    String GetValue(std::u16string_view key) const;
    String GetProductName() const { return GetValue(u"ProductName"); }
    String GetProductVersion() const { return GetValue(u"ProductVersion"); }
    String GetCompanyName() const { return GetValue(u"CompanyName"); }

private:
    String m_productName;
    String m_productVersion;
    String m_companyName;
};

// Error IDs of the version information.
inline constexpr int kErrorNoTranslationTable = 900;
inline constexpr int kErrorVersionUnreadable = 901;
inline constexpr int kErrorNoVersionInformation = 902;
inline constexpr int kErrorNoModuleFileName = 903;

// The text of a numbered error: with the framework string table loaded, its "EXCEPTION_ID" string
// (pass it as exceptionIdFormat; its %d takes the ID), else the start-up text with the ID. The format
// is filled in here, never handed to printf, so a string table cannot make it read stray arguments.
String NumberedErrorText(int errorId, const String* exceptionIdFormat = nullptr);

}  // namespace Orv

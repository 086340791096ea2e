#include "Application/Version.h"

#include "OrvFramework/ObjectBase/Exception.h"

#define VARNET_STR2(x) #x
#define VARNET_STR(x) VARNET_STR2(x)

namespace Orv {

namespace {

// Replaces the first %d (or %i, %u) with the number and %% with %; any other conversion is kept as
// written, since there is nothing to fill it with.
String FillErrorId(std::u16string_view format, int errorId) {
    const String number = W(std::to_string(errorId));
    String out;
    bool filled = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            const char16_t next = format[i + 1];
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (!filled && (next == u'd' || next == u'i' || next == u'u')) {
                out += number;
                filled = true;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

}  // namespace

Version::Version()
    : Version(
          VARNET_PRODUCT_NAME,
          VARNET_STR(VARNET_VERSION_MAJOR) "." VARNET_STR(VARNET_VERSION_MINOR) "." VARNET_STR(VARNET_VERSION_PATCH),
          VARNET_COMPANY_NAME) {}

Version::Version(std::string productName, std::string productVersion, std::string companyName)
    : m_productName(W(productName)), m_productVersion(W(productVersion)), m_companyName(W(companyName)) {
    if (m_productName.empty() || m_productVersion.empty())
        ORV_THROW(Runtime, NumberedErrorText(kErrorNoVersionInformation).ToUtf8(), "Orv::Version::Version", __LINE__);
}

String Version::GetValue(std::u16string_view key) const {
    if (key == u"ProductName") return m_productName;
    if (key == u"ProductVersion") return m_productVersion;
    if (key == u"CompanyName") return m_companyName;
    return {};
}

String NumberedErrorText(int errorId, const String* exceptionIdFormat) {
    if (exceptionIdFormat) return FillErrorId(*exceptionIdFormat, errorId);
    return FillErrorId(u"The application encountered problems during startup and will now close.  (Error code = %d)",
                       errorId);
}

}  // namespace Orv

#include <gtest/gtest.h>

#include <windows.h>
#include <cfgmgrapi.h>

#include "provisioning/parm_line.h"
#include "provisioning/provisioning_document.h"

namespace {

using Lines = std::vector<std::wstring>;

TEST(ProvisioningDocument, WrapsTheLinesInTheAccountsCharacteristic) {
    Lines lines = {L"<parm name=\"INSERVER\" value=\"in1\"/>",
                   L"<parm name=\"OUTSERVER\" value=\"out1\"/>"};
    EXPECT_EQ(BuildProvisioningDocument(L"{00112233-4455-6677-8899-AABBCCDDEEFF}", lines),
              L"<wap-provisioningdoc><characteristic type=\"EMAIL2\"><characteristic "
              L"type=\"{00112233-4455-6677-8899-AABBCCDDEEFF}\"><parm name=\"INSERVER\" "
              L"value=\"in1\"/><parm name=\"OUTSERVER\" value=\"out1\"/></characteristic></"
              L"characteristic></wap-provisioningdoc>");
}

TEST(ProvisioningDocument, WithoutLinesStillAddressesTheAccount) {
    EXPECT_EQ(BuildProvisioningDocument(L"{G}", {}),
              L"<wap-provisioningdoc><characteristic type=\"EMAIL2\"><characteristic "
              L"type=\"{G}\"></characteristic></characteristic></wap-provisioningdoc>");
}

TEST(ProvisioningDocument, PastesLinesVerbatimInTheirOrder) {
    Lines lines;
    std::wstring expectedBody;
    for (int index = 0; index < 10; ++index) {
        // Duplicates, hand-made text and unescaped characters alike go in unchanged.
        lines.push_back(index % 3 == 0 ? L"<parm name=\"OUTSERVER\" value=\"" +
                                             std::to_wstring(index) + L"\"/>"
                                       : L"raw & <text> " + std::to_wstring(index));
        expectedBody += lines.back();
    }
    std::wstring document = BuildProvisioningDocument(L"{G}", lines);
    EXPECT_NE(document.find(L"\"{G}\">" + expectedBody + L"</characteristic>"), std::wstring::npos);
}

} // namespace

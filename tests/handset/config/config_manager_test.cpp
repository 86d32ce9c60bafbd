// The configuration manager: an accepted document lands in the account's EMAIL2 settings; every
// refused one leaves the whole handset as it was.
#include <windows.h>
#include <cfgmgrapi.h>

#include "handset/registry/store_registry.h"
#include "tests/support/scoped_handset.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

// Everything a document could change, as one text.
std::wstring Listing() {
    std::wstring text;
    for (const auto& store : handset::ListStores()) {
        text += store.key + L" [" + store.displayName + L"] " +
                (store.accountGuid ? handset::GuidText(*store.accountGuid) : L"-") +
                (store.openFails ? L" fails\n" : L"\n");
        for (const auto& [name, value] : store.settings) {
            text += L"  " + name + L"=" + value + L"\n";
        }
    }
    return text;
}

std::wstring Document(const std::wstring& guid, const std::wstring& parms) {
    return L"<wap-provisioningdoc><characteristic type=\"EMAIL2\"><characteristic type=\"" + guid +
           L"\">" + parms + L"</characteristic></characteristic></wap-provisioningdoc>";
}

struct Outcome {
    HRESULT status;
    std::wstring reply;
    bool hadReply;
};

Outcome Process(const wchar_t* document, DWORD flags = CFGFLAG_PROCESS) {
    wchar_t sentinel[] = L"untouched";
    LPWSTR reply = sentinel;
    Outcome outcome{DMProcessConfigXML(document, flags, &reply), L"", reply != nullptr};
    if (reply != nullptr && reply != sentinel) {
        outcome.reply = reply;
        delete[] reply;
    }
    return outcome;
}

class ConfigManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        work = handset::AddAccount(L"Work", {{L"INSERVER", L"old.example.com"}});
        handset::AddStore(L"SMS", std::nullopt);
        home = handset::AddAccount(L"Home");
        workText = handset::GuidText(work);
        homeText = handset::GuidText(home);
    }

    testing_support::ScopedHandset handset;
    GUID work{};
    GUID home{};
    std::wstring workText;
    std::wstring homeText;
};

TEST_F(ConfigManagerTest, AppliesTheDocumentTheProgramBuilds) {
    std::wstring document = Document(
        workText,
        L"<parm name=\"INSERVER\" value=\"in1\"/><parm name=\"OUTSERVER\" value=\"out1\"/>");
    Outcome outcome = Process(document.c_str());
    EXPECT_EQ(outcome.status, S_OK);
    EXPECT_EQ(outcome.reply, document);

    auto stores = handset::ListStores();
    ASSERT_EQ(stores.size(), 3u);
    EXPECT_EQ(stores[0].settings,
              (handset::Settings{{L"INSERVER", L"in1"}, {L"OUTSERVER", L"out1"}}));
    EXPECT_TRUE(stores[1].settings.empty());
    EXPECT_TRUE(stores[2].settings.empty());
}

TEST_F(ConfigManagerTest, TakesPropertyTagsInsideTagProps) {
    // Shaped as the reference's example: TAGPROPS among the account's parms, the tags stored by
    // name as any other setting, in either case; a later element of the same tag wins.
    std::wstring document = Document(
        workText, L"<parm name=\"INSERVER\" value=\"in1\"/>\n"
                  L"<characteristic type=\"TAGPROPS\">\n"
                  L"  <!-- SSL in and out -->\n"
                  L"  <parm name=\"8128000B\" value=\"0\"/><parm name=\"812c000b\" value=\"1\"/>\n"
                  L"</characteristic>\n"
                  L"<parm name=\"AUTHNAME\" value=\"me\"/>\n"
                  L"<characteristic type=\"TAGPROPS\"/>\n"
                  L"<characteristic type=\"TAGPROPS\"><parm name=\"8128000B\" value=\"1\"/>"
                  L"</characteristic>");
    Outcome outcome = Process(document.c_str());
    EXPECT_EQ(outcome.status, S_OK);
    EXPECT_EQ(outcome.reply, document);

    auto stores = handset::ListStores();
    ASSERT_EQ(stores.size(), 3u);
    EXPECT_EQ(stores[0].settings, (handset::Settings{{L"8128000B", L"1"},
                                                     {L"812c000b", L"1"},
                                                     {L"AUTHNAME", L"me"},
                                                     {L"INSERVER", L"in1"}}));
    EXPECT_TRUE(stores[2].settings.empty());
}

TEST_F(ConfigManagerTest, DecodesEntitiesKeepsAnyTextAndMatchesGuidsInEitherCase) {
    std::wstring lowerHome = homeText;
    for (auto& c : lowerHome) {
        c = static_cast<wchar_t>(towlower(c));
    }
    std::wstring document =
        L"<wap-provisioningdoc>\r\n  <characteristic type=\"EMAIL2\">\n"
        L"    <characteristic type=\"" +
        workText +
        L"\">\n"
        L"      <!-- the outgoing server's login -->\n"
        L"      <parm name=\"SMTPALTPASSWORD\" value=\"a&amp;b&lt;c&gt;&quot;d&apos;\"/>\n"
        L"      <parm name=\"SMTPALTAUTHNAME\" value=\"Zoë \U0001F600\"/>\n"
        L"      <parm name=\"SMTPALTDOMAIN\" value=\"\"/>\n"
        L"    </characteristic>\n"
        L"    <characteristic type=\"" +
        lowerHome +
        L"\">\t<parm name=\"DOMAIN\" value=\"d\"/></characteristic>\n"
        L"  </characteristic>\n</wap-provisioningdoc>\n";
    EXPECT_EQ(Process(document.c_str()).status, S_OK);

    auto stores = handset::ListStores();
    EXPECT_EQ(stores[0].settings, (handset::Settings{{L"INSERVER", L"old.example.com"},
                                                     {L"SMTPALTAUTHNAME", L"Zoë \U0001F600"},
                                                     {L"SMTPALTDOMAIN", L""},
                                                     {L"SMTPALTPASSWORD", L"a&b<c>\"d'"}}));
    EXPECT_EQ(stores[2].settings, (handset::Settings{{L"DOMAIN", L"d"}}));
}

TEST_F(ConfigManagerTest, RefusedDocumentsChangeNothing) {
    const std::wstring good = L"<parm name=\"INSERVER\" value=\"new\"/>";
    const std::wstring unknownGuid = L"{00112233-4455-6677-8899-AABBCCDDEEFF}";
    auto parm = [&](const std::wstring& name) {
        return Document(workText, good + L"<parm name=\"" + name + L"\" value=\"1\"/>");
    };
    auto tagProps = [&](const std::wstring& content, const std::wstring& type = L"TAGPROPS") {
        return Document(workText, good + L"<characteristic type=\"" + type + L"\">" + content +
                                      L"</characteristic>");
    };
    auto tag = [&](const std::wstring& name) {
        return tagProps(L"<parm name=\"812C000B\" value=\"1\"/><parm name=\"" + name +
                        L"\" value=\"1\"/>");
    };
    struct Case {
        const char* what;
        std::wstring document;
        HRESULT status;
        DWORD flags = CFGFLAG_PROCESS;
    };
    // Not a provisioning document of characteristics and parms: CONFIG_E_BAD_XML. A
    // characteristic, an account or a parm name the handset has no entry for:
    // CONFIG_E_ENTRYNOTFOUND.
    const Case cases[] = {
        {"unclosed element", Document(workText, L"<parm name=\"INSERVER\" value=\"new\">"),
         CONFIG_E_BAD_XML},
        {"bare ampersand", Document(workText, L"<parm name=\"INSERVER\" value=\"a&b\"/>"),
         CONFIG_E_BAD_XML},
        {"not XML at all", L"INSERVER=new", CONFIG_E_BAD_XML},
        {"empty document", L"", CONFIG_E_BAD_XML},
        {"parm EMAIL2 lacks", parm(L"FOO"), CONFIG_E_ENTRYNOTFOUND},
        {"parm name in lower case", parm(L"inserver"), CONFIG_E_ENTRYNOTFOUND},
        // A property tag is a parm of TAGPROPS alone, and TAGPROPS holds nothing else.
        {"tag bare in the account", parm(L"8128000B"), CONFIG_E_ENTRYNOTFOUND},
        {"tag bare in lower case", parm(L"812c000b"), CONFIG_E_ENTRYNOTFOUND},
        {"seven hexadecimal digits", tag(L"8128000"), CONFIG_E_ENTRYNOTFOUND},
        {"nine hexadecimal digits", tag(L"8128000B0"), CONFIG_E_ENTRYNOTFOUND},
        {"tag with 0x", tag(L"0x8128000B"), CONFIG_E_ENTRYNOTFOUND},
        {"tag with a letter past F", tag(L"8128000G"), CONFIG_E_ENTRYNOTFOUND},
        {"EMAIL2 name in TAGPROPS", tag(L"INSERVER"), CONFIG_E_ENTRYNOTFOUND},
        {"TAGPROPS in lower case", tagProps(L"<parm name=\"8128000B\" value=\"1\"/>", L"tagprops"),
         CONFIG_E_ENTRYNOTFOUND},
        {"other characteristic in the account",
         tagProps(L"<parm name=\"TMAIL:IncomingServer#001F\" value=\"x\"/>", L"NAMEDPROPS"),
         CONFIG_E_ENTRYNOTFOUND},
        {"characteristic in TAGPROPS",
         tagProps(L"<characteristic type=\"TAGPROPS\"><parm name=\"8128000B\" value=\"1\"/>"
                  L"</characteristic>"),
         CONFIG_E_ENTRYNOTFOUND},
        {"TAGPROPS in place of an account",
         L"<wap-provisioningdoc><characteristic type=\"EMAIL2\"><characteristic type=\"TAGPROPS\">"
         L"<parm name=\"8128000B\" value=\"1\"/></characteristic></characteristic>"
         L"</wap-provisioningdoc>",
         CONFIG_E_ENTRYNOTFOUND},
        {"characteristic without type in the account",
         Document(workText, good + L"<characteristic><parm name=\"8128000B\" value=\"1\"/>"
                                   L"</characteristic>"),
         CONFIG_E_BAD_XML},
        {"tag without value", tagProps(L"<parm name=\"8128000B\"/>"), CONFIG_E_BAD_XML},
        {"text in TAGPROPS", tagProps(L"1"), CONFIG_E_BAD_XML},
        // Queries are not emulated: the program only applies settings.
        {"query in TAGPROPS", tagProps(L"<parm-query name=\"0x8125001F\"/>"), CONFIG_E_BAD_XML},
        {"parm without name", Document(workText, good + L"<parm value=\"x\"/>"), CONFIG_E_BAD_XML},
        {"parm without value", Document(workText, L"<parm name=\"INSERVER\"/>"), CONFIG_E_BAD_XML},
        {"other element", Document(workText, good + L"<nocharacteristic/>"), CONFIG_E_BAD_XML},
        {"text among parms", Document(workText, good + L"stray"), CONFIG_E_BAD_XML},
        {"GUID no store has", Document(unknownGuid, good), CONFIG_E_ENTRYNOTFOUND},
        {"GUID of a later characteristic unknown",
         L"<wap-provisioningdoc><characteristic type=\"EMAIL2\"><characteristic type=\"" +
             workText + L"\">" + good + L"</characteristic><characteristic type=\"" + unknownGuid +
             L"\">" + good + L"</characteristic></characteristic></wap-provisioningdoc>",
         CONFIG_E_ENTRYNOTFOUND},
        {"type that is no GUID", Document(L"Work", good), CONFIG_E_ENTRYNOTFOUND},
        {"GUID without braces", Document(workText.substr(1, 36), good), CONFIG_E_ENTRYNOTFOUND},
        {"other root", L"<provisioningdoc><characteristic type=\"EMAIL2\"/></provisioningdoc>",
         CONFIG_E_BAD_XML},
        {"other characteristic",
         L"<wap-provisioningdoc><characteristic type=\"Sync\"><characteristic type=\"" + workText +
             L"\">" + good + L"</characteristic></characteristic></wap-provisioningdoc>",
         CONFIG_E_ENTRYNOTFOUND},
        {"characteristic without type",
         L"<wap-provisioningdoc><characteristic><characteristic type=\"" + workText + L"\">" +
             good + L"</characteristic></characteristic></wap-provisioningdoc>",
         CONFIG_E_BAD_XML},
        {"parm directly in EMAIL2",
         L"<wap-provisioningdoc><characteristic type=\"EMAIL2\">" + good +
             L"</characteristic></wap-provisioningdoc>",
         CONFIG_E_BAD_XML},
        {"metadata flag", Document(workText, good), E_INVALIDARG, 0x0002}, // not emulated
        {"no flag", Document(workText, good), E_INVALIDARG, 0},
        {"both flags", Document(workText, good), E_INVALIDARG, CFGFLAG_PROCESS | 0x0002},
    };
    const std::wstring before = Listing();
    for (const Case& c : cases) {
        Outcome outcome = Process(c.document.c_str(), c.flags);
        EXPECT_EQ(outcome.status, c.status) << c.what;
        EXPECT_FALSE(outcome.hadReply) << c.what;
        EXPECT_EQ(Listing(), before) << c.what;
    }
    Outcome none = Process(nullptr);
    EXPECT_EQ(none.status, E_INVALIDARG);
    EXPECT_FALSE(none.hadReply);
    EXPECT_EQ(DMProcessConfigXML(Document(workText, good).c_str(), CFGFLAG_PROCESS, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(Listing(), before);
}

TEST_F(ConfigManagerTest, RefuseSwitchRefusesEveryDocumentWhileOn) {
    std::wstring document = Document(workText, L"<parm name=\"INSERVER\" value=\"new\"/>");
    const std::wstring before = Listing();
    ASSERT_TRUE(handset::SetRefusesDocuments(true));
    Outcome refused = Process(document.c_str());
    EXPECT_EQ(refused.status, CONFIG_E_OBJECTBUSY);
    EXPECT_FALSE(refused.hadReply);
    EXPECT_EQ(Listing(), before);

    ASSERT_TRUE(handset::SetRefusesDocuments(false));
    EXPECT_EQ(Process(document.c_str()).status, S_OK);
    EXPECT_EQ(handset::ListStores()[0].settings.at(L"INSERVER"), L"new");
}

TEST_F(ConfigManagerTest, LeavesTheThreadsComAsItFoundIt) {
    std::wstring document = Document(homeText, L"<parm name=\"NAME\" value=\"n\"/>");
    HRESULT onPlainThread = E_FAIL;
    HRESULT initAfterwards = E_FAIL;
    std::thread plain([&] {
        onPlainThread = Process(document.c_str()).status;
        // Had the call left COM initialised, this would be S_FALSE or RPC_E_CHANGED_MODE.
        initAfterwards = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(initAfterwards)) {
            CoUninitialize();
        }
    });
    plain.join();
    EXPECT_EQ(onPlainThread, S_OK);
    EXPECT_EQ(initAfterwards, S_OK);

    HRESULT onApartmentThread = E_FAIL;
    std::thread apartment([&] {
        HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        onApartmentThread = Process(document.c_str()).status;
        if (SUCCEEDED(init)) {
            CoUninitialize();
        }
    });
    apartment.join();
    EXPECT_EQ(onApartmentThread, S_OK);
}

} // namespace

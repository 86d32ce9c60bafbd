// Accounts as the program finds them on a handset of the test's own: discovery through the real
// (emulated) messaging API, the record's lines, the table and the account list.
#include <gtest/gtest.h>

#include <windows.h>

#include "accounts/account_discovery.h"
#include "accounts/account_table.h"
#include "handset/registry/store_registry.h"
#include "tests/support/account_lines.h"
#include "tests/support/messaging_session.h"
#include "tests/support/scoped_handset.h"
#include "tests/support/window_queries.h"

namespace {

using testing_support::ParmLineAt;

using Names = std::vector<std::wstring>;

Names NamesOf(const AccountTable& table) {
    Names names;
    for (int index = 0; index < table.accountCount(); ++index) {
        names.push_back(table.At(index)->GetName());
    }
    return names;
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override {
        session = messaging.Logon();
        ASSERT_NE(session, nullptr);
    }

    void TearDown() override {
        table.Clear();
        messaging.ExpectAllGivenBack();
    }

    testing_support::ScopedHandset handsetState;
    testing_support::MessagingSession messaging;
    IMAPISession* session = nullptr;
    AccountTable table;
};

TEST_F(Discovery, AnEmptyStoreTableGivesNoAccount) {
    EXPECT_GE(EnumerateAccounts(session, table), 0);
    EXPECT_EQ(table.accountCount(), 0);
}

TEST_F(Discovery, SkipsStoresThatAreNoMailAccountsAndKeepsTableOrder) {
    handset::AddStore(L"SMS", std::nullopt);
    GUID work = handset::AddAccount(L"Work");
    handset::AddStore(L"ActiveSync", std::nullopt);
    handset::AddStore(L"MMS", std::nullopt);
    GUID alpha = handset::AddAccount(L"Alpha");

    EXPECT_GE(EnumerateAccounts(session, table), 0);
    EXPECT_EQ(NamesOf(table), (Names{L"Work", L"Alpha"}));
    EXPECT_EQ(table.At(0)->GetGuidText(), handset::GuidText(work));
    EXPECT_EQ(table.At(1)->GetGuidText(), handset::GuidText(alpha));
    // Only the records hold stores now: the skipped ones were released at once.
    EXPECT_EQ(handset::CurrentMessagingCounts().stores - messaging.Before().stores, 2);
}

TEST_F(Discovery, StopsAtAStoreThatCannotBeOpened) {
    handset::AddAccount(L"First");
    handset::AddStore(L"Not mail", std::nullopt);
    handset::AddStore(L"Broken", handset::NewGuid(), {}, /*openFails=*/true);
    handset::AddAccount(L"Fourth");
    handset::AddAccount(L"Fifth");

    EXPECT_LT(EnumerateAccounts(session, table), 0);
    EXPECT_EQ(NamesOf(table), (Names{L"First"}));
}

TEST_F(Discovery, KeepsEveryAccountOfAHandsetWithMoreThanTwenty) {
    Names expected;
    for (int index = 0; index < 27; ++index) {
        expected.push_back(L"Account " + std::to_wstring(index));
        handset::AddAccount(expected.back());
    }
    EXPECT_GE(EnumerateAccounts(session, table), 0);
    EXPECT_EQ(NamesOf(table), expected);
}

TEST_F(Discovery, ReadsNamesOutsideTheBasicPlaneAndEmptyOnes) {
    handset::AddAccount(L"Poštovní \U0001F4E7");
    handset::AddAccount(L"");
    EXPECT_GE(EnumerateAccounts(session, table), 0);
    EXPECT_EQ(NamesOf(table), (Names{L"Poštovní \U0001F4E7", L""}));
    EXPECT_EQ(table.FindAccountByName(L""), table.At(1));
}

TEST_F(Discovery, FindsAccountsByTheirExactNameAndTheFirstOfTwins) {
    handset::AddAccount(L"Work");
    handset::AddAccount(L"Home");
    handset::AddAccount(L"Work");
    ASSERT_GE(EnumerateAccounts(session, table), 0);

    EXPECT_EQ(table.FindAccountByName(L"Work"), table.At(0));
    EXPECT_EQ(table.FindAccountByName(L"Home"), table.At(1));
    for (const wchar_t* other : {L"work", L"Wor", L"Work ", L" Work", L"WORK", L""}) {
        EXPECT_EQ(table.FindAccountByName(other), nullptr) << testing::PrintToString(other);
    }
    // A cleared table finds none of the records it no longer holds.
    table.Clear();
    EXPECT_EQ(table.FindAccountByName(L"Work"), nullptr);
}

TEST_F(Discovery, WithoutASessionListsNothing) {
    EXPECT_LT(EnumerateAccounts(nullptr, table), 0);
    EXPECT_EQ(table.accountCount(), 0);
}

TEST(AccountRecordLines, HoldEveryLineInTheOrderAdded) {
    AccountRecord record;
    EXPECT_EQ(record.GetParmLineCount(), 0);
    EXPECT_EQ(ParmLineAt(record, 0), L"");
    // Far past the room made at first, and the same line twice: each one kept, in its place.
    std::vector<std::wstring> added;
    for (int index = 0; index < 3 * AccountRecord::MaxParmLines; ++index) {
        added.push_back(L"line " + std::to_wstring(index % 29));
        record.AddParmLine(added.back());
    }
    EXPECT_EQ(record.GetParmLineCount(), 30);
    EXPECT_EQ(std::vector<std::wstring>(record.GetParmLines().begin(), record.GetParmLines().end()),
              added);
    EXPECT_EQ(ParmLineAt(record, 29), L"line 0");
    EXPECT_EQ(ParmLineAt(record, 30), L"");
    EXPECT_EQ(ParmLineAt(record, -1), L"");
}

TEST(AccountRecordLines, ReadAndReplaceValuesByExactName) {
    AccountRecord record;
    record.AddParmLine(L"<parm name=\"OUTSERVER\" value=\"first\"/>");
    record.AddParmLine(L"<parm name=\"INSERVER\" value=\"\"/>");
    record.AddParmLine(L"<parm name=\"OUTSERVER\" value=\"second\"/>");
    record.AddParmLine(L"<parm name=\"INSERVER2\" value=\"other\"/>");

    std::wstring value = L"stale";
    // Of two lines for a name the handset keeps the last: that one is read and changed.
    EXPECT_EQ(record.GetParmValue(L"OUTSERVER", value), 0);
    EXPECT_EQ(value, L"second");
    EXPECT_EQ(record.GetParmValue(L"INSERVER", value), 0);
    EXPECT_EQ(value, L"");
    for (const wchar_t* other : {L"outserver", L"OUT", L"INSERVER ", L"SMTPALTDOMAIN"}) {
        value = L"stale";
        EXPECT_EQ(record.GetParmValue(other, value), -1);
        EXPECT_EQ(value, L"");
        EXPECT_EQ(record.SetParmValue(other, L"x"), -1);
    }

    // Only that line changes, in its place; the text around the value stays.
    EXPECT_EQ(record.SetParmValue(L"OUTSERVER", L"new"), 0);
    EXPECT_EQ(ParmLineAt(record, 0), L"<parm name=\"OUTSERVER\" value=\"first\"/>");
    EXPECT_EQ(ParmLineAt(record, 2), L"<parm name=\"OUTSERVER\" value=\"new\"/>");
    EXPECT_EQ(record.SetParmValue(L"OUTSERVER", L""), 0);
    EXPECT_EQ(ParmLineAt(record, 2), L"<parm name=\"OUTSERVER\" value=\"\"/>");
    EXPECT_EQ(record.GetParmLineCount(), 4);
}

TEST(AccountRecordLines, KeepValuesWithXmlCharactersIntact) {
    AccountRecord record;
    record.AddParmLine(L"<parm name=\"AUTHSECRET\" value=\"old\"/>");
    const std::wstring password = L"a\"b&c<d>'e \U0001F511";
    EXPECT_EQ(record.SetParmValue(L"AUTHSECRET", password), 0);
    EXPECT_EQ(ParmLineAt(record, 0),
              L"<parm name=\"AUTHSECRET\" value=\"a&quot;b&amp;c&lt;d&gt;&apos;e \U0001F511\"/>");
    std::wstring value;
    EXPECT_EQ(record.GetParmValue(L"AUTHSECRET", value), 0);
    EXPECT_EQ(value, password);
}

TEST(AccountRecordLines, PassOverHandMadeLinesThatAreNotXmlAndLeaveThemAsTheyAre) {
    const std::vector<std::wstring> handMade = {
        L"INSERVER", L"<parm name=\"SMTPALTDOMAIN\" value=\"ab\"cd\"/>",
        L"<parm name=\"OUTSERVER\"/>", L"<parm name=\"AUTHSECRET\" value=\"unterminated"};
    AccountRecord record;
    for (const auto& line : handMade) {
        record.AddParmLine(line);
    }
    record.AddParmLine(L"<parm name='INSERVER' value='pop'/>");

    // None of them is a parm element the handset would read: a setting is found only in a line
    // that is, and the others are neither read nor written afresh.
    std::wstring value;
    EXPECT_EQ(record.GetParmValue(L"INSERVER", value), 0);
    EXPECT_EQ(value, L"pop");
    for (const wchar_t* name : {L"SMTPALTDOMAIN", L"OUTSERVER", L"AUTHSECRET"}) {
        EXPECT_EQ(record.GetParmValue(name, value), -1) << name;
        EXPECT_EQ(record.SetParmValue(name, L"x"), -1) << name;
    }
    EXPECT_EQ(record.SetParmValue(L"INSERVER", L"new"), 0);
    EXPECT_EQ(ParmLineAt(record, 4), L"<parm name='INSERVER' value='new'/>");
    EXPECT_EQ(record.GetParmLineCount(), 5);
    for (size_t index = 0; index < handMade.size(); ++index) {
        EXPECT_EQ(ParmLineAt(record, static_cast<int>(index)), handMade[index]);
    }
}

class AccountRepair : public Discovery {
protected:
    // Work, broken on the handset, with a line that mends it; its first repair meets a refusing
    // configuration manager.
    void RefuseARepairOfWork() {
        handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
        ASSERT_GE(EnumerateAccounts(session, table), 0);
        work = table.At(0);
        work->AddParmLine(L"<parm name=\"INSERVER\" value=\"pop.example\"/>");
        handset::SetRefusesDocuments(true);
        EXPECT_EQ(work->Repair(), -1);
        handset::SetRefusesDocuments(false);
    }

    AccountRecord* work = nullptr;
};

TEST_F(AccountRepair, AppliesTheLinesToTheAccountItAddresses) {
    handset::AddAccount(L"Other", {{L"INSERVER", L"untouched"}});
    handset::AddAccount(L"Work", {{L"INSERVER", L"broken"}});
    ASSERT_GE(EnumerateAccounts(session, table), 0);
    work = table.FindAccountByName(L"Work");
    ASSERT_NE(work, nullptr);
    work->AddParmLine(L"<parm name=\"INSERVER\" value=\"pop.example\"/>");
    work->AddParmLine(L"<parm name=\"AUTHSECRET\" value=\"\"/>");
    work->SetParmValue(L"AUTHSECRET", L"p&ss<\"word\">");

    EXPECT_EQ(work->Repair(), 0);
    auto stores = handset::ListStores();
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0].settings, (handset::Settings{{L"INSERVER", L"untouched"}}));
    EXPECT_EQ(stores[1].settings, (handset::Settings{{L"AUTHSECRET", L"p&ss<\"word\">"},
                                                     {L"INSERVER", L"pop.example"}}));
}

TEST_F(AccountRepair, ReportsARefusedDocumentAndKeepsTheLines) {
    ASSERT_NO_FATAL_FAILURE(RefuseARepairOfWork());

    // A parm that the account's configuration does not define spoils the whole document.
    work->AddParmLine(L"<parm name=\"NOSUCHPARM\" value=\"x\"/>");
    EXPECT_EQ(work->Repair(), -1);
    EXPECT_EQ(handset::ListStores()[0].settings, (handset::Settings{{L"INSERVER", L"broken"}}));
    EXPECT_EQ(work->GetParmLineCount(), 2);
    EXPECT_EQ(ParmLineAt(*work, 0), L"<parm name=\"INSERVER\" value=\"pop.example\"/>");
}

TEST_F(AccountRepair, ARefusedRepairCanBeSentAgainButALineThatIsNotXmlNever) {
    ASSERT_NO_FATAL_FAILURE(RefuseARepairOfWork());
    EXPECT_EQ(work->Repair(), 0);
    EXPECT_EQ(handset::ListStores()[0].settings,
              (handset::Settings{{L"INSERVER", L"pop.example"}}));

    // A hand-made line that is not XML is not mended by name: as long as it is there, the repair
    // fails before anything is submitted.
    work->AddParmLine(L"<parm name=\"AUTHSECRET\" value=\"unterminated");
    EXPECT_EQ(work->SetParmValue(L"AUTHSECRET", L"secret"), -1);
    handset::SetSettings(L"Work", {{L"INSERVER", L"lost"}});
    EXPECT_EQ(work->Repair(), -1);
    EXPECT_EQ(handset::ListStores()[0].settings, (handset::Settings{{L"INSERVER", L"lost"}}));
}

TEST_F(AccountRepair, ARecordWithoutAStoreSubmitsNothing) {
    handset::SetRefusesDocuments(true);
    AccountRecord neverInitialised;
    neverInitialised.AddParmLine(L"<parm name=\"INSERVER\" value=\"x\"/>");
    // Were anything submitted, the refusing configuration manager would make this -1.
    EXPECT_EQ(neverInitialised.Repair(), 0);
    EXPECT_EQ(neverInitialised.GetGuidText(), L"");
}

TEST_F(Discovery, GivesTheGuidTextBracedUpperCaseAndZeroFilled) {
    const GUID guid = {0x1A, 0x2, 0xBC, {0x0, 0x1, 0xAB, 0xCD, 0xE, 0xF0, 0x9, 0x10}};
    handset::AddStore(L"Work", guid);
    ASSERT_GE(EnumerateAccounts(session, table), 0);
    ASSERT_EQ(table.accountCount(), 1);
    EXPECT_EQ(table.At(0)->GetGuidText(), L"{0000001A-0002-00BC-0001-ABCD0EF00910}");
}

class AccountList : public Discovery {
protected:
    void SetUp() override {
        Discovery::SetUp();
        // A real sorted combo box, as the main dialog's account list is.
        list = CreateWindowExW(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 0, 0,
                               100, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override {
        DestroyWindow(list);
        Discovery::TearDown();
    }
    HWND list = nullptr;
};

TEST_F(AccountList, ShowsTheNamesSortedAndSelectsTheFirstInThatOrder) {
    handset::AddAccount(L"Zeta");
    handset::AddAccount(L"Work");
    handset::AddAccount(L"Alpha");
    ASSERT_GE(EnumerateAccounts(session, table), 0);

    EXPECT_EQ(table.FillAccountList(list), 0);
    const Names shown = testing_support::ItemsOf(list);
    ASSERT_EQ(shown, (Names{L"Alpha", L"Work", L"Zeta"}));
    for (size_t index = 0; index < shown.size(); ++index) {
        // Each entry carries the record of its own name, whatever place sorting gave it.
        auto* record =
            reinterpret_cast<AccountRecord*>(SendMessageW(list, CB_GETITEMDATA, index, 0));
        EXPECT_EQ(record->GetName(), shown[index]);
    }
    EXPECT_EQ(GetSelectedAccount(list), table.FindAccountByName(L"Alpha"));
    SendMessageW(list, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(GetSelectedAccount(list), table.FindAccountByName(L"Zeta"));
}

TEST_F(AccountList, HasNoSelectedAccountWithoutAccounts) {
    EXPECT_EQ(table.FillAccountList(list), CB_ERR);
    EXPECT_EQ(GetSelectedAccount(list), nullptr);
}

} // namespace

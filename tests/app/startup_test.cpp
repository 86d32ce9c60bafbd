// The program's run in process, from start-up to shutdown, compared with the emulated handset's
// journal of the messaging calls it saw and the COM each was made in.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include "app/startup.h"
#include "files/program_folder.h"
#include "handset/messaging/messaging_diagnostics.h"
#include "handset/registry/store_registry.h"
#include "tests/support/scoped_handset.h"

namespace {

using Calls = std::vector<std::wstring>;

Calls callsBeforeTheDialog;

void RecordTheCallsBeforeTheDialog() {
    callsBeforeTheDialog = handset::MessagingJournal();
}

TEST(Startup, OpensMessagingInsideComAndClosesItInTheReverseOrder) {
    testing_support::ScopedHandset handsetState;
    handset::AddAccount(L"Work");
    handset::ClearMessagingJournal();

    EXPECT_EQ(RunCourierfix(GetModuleHandleW(nullptr), L"", RecordTheCallsBeforeTheDialog), 0);
    DeleteFileW(GetRunLogPath().c_str());

    const Calls startUp = {L"MAPIInitialize, COM multithreaded", L"MAPILogonEx, COM multithreaded",
                           L"IMAPISession::GetMsgStoresTable, COM multithreaded"};
    EXPECT_EQ(callsBeforeTheDialog, startUp);
    Calls whole = startUp;
    whole.insert(whole.end(), {L"IMAPISession::Logoff, COM multithreaded",
                               L"IMAPISession released, COM multithreaded",
                               L"MAPIUninitialize, COM multithreaded"});
    EXPECT_EQ(handset::MessagingJournal(), whole);
    // COM ended last, and every initialisation was matched.
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    EXPECT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
    EXPECT_EQ(handset::CurrentMessagingCounts().initializations, 0);
}

} // namespace

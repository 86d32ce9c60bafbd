// A messaging session as the program holds one: MAPI initialised, a session logged on, and at the
// end everything the messaging API handed out given back exactly once.
#pragma once

#include <windows.h>
#include <mapix.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "handset/messaging/messaging_diagnostics.h"
#include "tests/support/not_copyable.h"

namespace testing_support {

class MessagingSession : NotCopyable {
public:
    // MAPI is initialised for as long as the owner lives; the counts start here.
    MessagingSession()
        : before(handset::CurrentMessagingCounts()), status(MAPIInitialize(nullptr)) {}
    ~MessagingSession() {
        Logoff();
        if (SUCCEEDED(status)) {
            MAPIUninitialize();
        }
    }

    // Logs on; null, and a failed check, when no session is given.
    IMAPISession* Logon() {
        EXPECT_GE(MAPILogonEx(0, nullptr, nullptr, 0, session.ReleaseAndGetAddressOf()), 0);
        return session.Get();
    }
    IMAPISession* Get() const { return session.Get(); }

    // Logs off and gives the session back; the references it still had afterwards.
    unsigned long Logoff() {
        if (!session) {
            return 0;
        }
        session->Logoff(0, 0, 0);
        return session.Reset();
    }

    // The counts when the owner began.
    const handset::MessagingCounts& Before() const { return before; }

    // Logs off, and every session, table, store and buffer handed out since the owner began came
    // back.
    void ExpectAllGivenBack() {
        EXPECT_EQ(Logoff(), 0u);
        handset::MessagingCounts now = handset::CurrentMessagingCounts();
        EXPECT_EQ(now.sessions, before.sessions);
        EXPECT_EQ(now.tables, before.tables);
        EXPECT_EQ(now.stores, before.stores);
        EXPECT_EQ(now.buffers, before.buffers);
    }

private:
    handset::MessagingCounts before;
    HRESULT status;
    Microsoft::WRL::ComPtr<IMAPISession> session;
};

} // namespace testing_support

// Serves the tests of the program: live-object counts of the messaging API, to prove that every
// session, table, store and buffer handed out came back; and a journal of its entry points, to
// compare the order of a whole start-up and shutdown.
#pragma once

#include <string>
#include <vector>

namespace handset {

struct MessagingCounts {
    long initializations = 0; // MAPIInitialize calls not yet matched by MAPIUninitialize
    long sessions = 0;
    long tables = 0;
    long stores = 0;
    long buffers = 0; // blocks from MAPIAllocateBuffer not yet given to MAPIFreeBuffer
};

MessagingCounts CurrentMessagingCounts();

// The calls of MAPIInitialize, MAPILogonEx, the session's GetMsgStoresTable and Logoff, its last
// release and MAPIUninitialize since the journal was cleared, in order, each with the calling
// thread's COM at that moment: "MAPILogonEx, COM multithreaded". The first 100 are kept.
std::vector<std::wstring> MessagingJournal();
void ClearMessagingJournal();

} // namespace handset

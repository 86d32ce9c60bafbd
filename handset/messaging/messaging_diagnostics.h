// Live-object counts of the emulated messaging API, so that tests can prove that every session,
// table, store and buffer handed out was given back exactly once; and a journal of its entry
// points, so that a test can compare the order of a whole start-up and shutdown.
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
    // Releases of a store whose count had already reached zero. Such a store is kept (not freed)
    // until the process ends, so the stray call is counted instead of corrupting memory.
    long overReleases = 0;
};

MessagingCounts CurrentMessagingCounts();

// The calls of MAPIInitialize, MAPILogonEx, the session's GetMsgStoresTable and Logoff, its last
// release and MAPIUninitialize since the journal was cleared, in order, each with the calling
// thread's COM at that moment: "MAPILogonEx, COM multithreaded". The first 100 are kept.
std::vector<std::wstring> MessagingJournal();
void ClearMessagingJournal();

} // namespace handset

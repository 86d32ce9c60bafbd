// Live-object counts of the emulated messaging API, so that tests can prove that every session,
// table, store and buffer handed out was given back exactly once.
#pragma once

namespace handset {

struct MessagingCounts {
    long sessions = 0;
    long tables = 0;
    long stores = 0;
    long buffers = 0; // blocks from MAPIAllocateBuffer not yet given to MAPIFreeBuffer
    // Releases of a store whose count had already reached zero. Such a store is kept (not freed)
    // until the process ends, so the stray call is counted instead of corrupting memory.
    long overReleases = 0;
};

MessagingCounts CurrentMessagingCounts();

} // namespace handset

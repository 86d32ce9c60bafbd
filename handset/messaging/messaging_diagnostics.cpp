#include "handset/messaging/messaging_diagnostics.h"
#include "handset/messaging/messaging_objects.h"

namespace handset::detail {

volatile LONG liveSessions = 0;
volatile LONG liveTables = 0;
volatile LONG liveStores = 0;
volatile LONG liveBuffers = 0;
volatile LONG overReleases = 0;

} // namespace handset::detail

namespace handset {

MessagingCounts CurrentMessagingCounts() {
    MessagingCounts counts;
    counts.sessions = detail::liveSessions;
    counts.tables = detail::liveTables;
    counts.stores = detail::liveStores;
    counts.buffers = detail::liveBuffers;
    counts.overReleases = detail::overReleases;
    return counts;
}

} // namespace handset

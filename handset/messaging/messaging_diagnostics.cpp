#include "handset/messaging/messaging_diagnostics.h"
#include "handset/messaging/messaging_objects.h"

#include <objbase.h>

#include <mutex>

namespace handset::detail {

volatile LONG initializations = 0;
volatile LONG liveSessions = 0;
volatile LONG liveTables = 0;
volatile LONG liveStores = 0;
volatile LONG liveBuffers = 0;
volatile LONG overReleases = 0;

namespace {

std::mutex journalLock;
std::vector<std::wstring> journal;
constexpr size_t JournalLimit = 100;

const wchar_t* ComOfThisThread() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(CoGetApartmentType(&type, &qualifier)) ||
        qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA) {
        return L"no COM";
    }
    return type == APTTYPE_MTA ? L"COM multithreaded" : L"COM single-threaded";
}

} // namespace

void Journal(const wchar_t* call) {
    std::wstring entry = std::wstring(call) + L", " + ComOfThisThread();
    std::lock_guard<std::mutex> hold(journalLock);
    if (journal.size() < JournalLimit) {
        journal.push_back(std::move(entry));
    }
}

} // namespace handset::detail

namespace handset {

MessagingCounts CurrentMessagingCounts() {
    MessagingCounts counts;
    counts.initializations = detail::initializations;
    counts.sessions = detail::liveSessions;
    counts.tables = detail::liveTables;
    counts.stores = detail::liveStores;
    counts.buffers = detail::liveBuffers;
    counts.overReleases = detail::overReleases;
    return counts;
}

std::vector<std::wstring> MessagingJournal() {
    std::lock_guard<std::mutex> hold(detail::journalLock);
    return detail::journal;
}

void ClearMessagingJournal() {
    std::lock_guard<std::mutex> hold(detail::journalLock);
    detail::journal.clear();
}

} // namespace handset

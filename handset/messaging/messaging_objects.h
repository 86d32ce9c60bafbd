// Serves the program: the objects behind the messaging interfaces, shared by this folder only.
#pragma once

#include <cemapi.h>
#include <mapiutil.h>

#include <optional>
#include <string>
#include <vector>

namespace handset::detail {

// MAPIInitialize calls not yet matched by MAPIUninitialize, and the live-object counters behind
// CurrentMessagingCounts.
extern volatile LONG initializations, liveSessions, liveTables, liveStores, liveBuffers;

// A store's entry identifier: four zero flag bytes, then its key name as ASCII digits, so that
// OpenMsgStore goes straight to the key.
std::vector<BYTE> EntryIdFor(const std::wstring& storeKey);
std::optional<std::wstring> StoreKeyFromEntryId(ULONG size, const BYTE* bytes);

// Adds an entry point's call to the journal behind MessagingJournal.
void Journal(const wchar_t* call);

HRESULT CreateStoreTable(IMAPITable** table);
HRESULT CreateMsgStore(const std::wstring& storeKey, IMsgStore** store);

// Copies into a block chained to owner with MAPIAllocateMore, freed with it.
HRESULT CopyMore(const void* data, ULONG size, void* owner, void** copy);

} // namespace handset::detail

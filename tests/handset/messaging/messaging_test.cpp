// The emulated messaging API as the program's discovery walks it: the store table row by row,
// opening each store, reading its GUID and display name, and giving everything back.
#include <cemapi.h>
#include <mapix.h>
#include <mapiutil.h>

#include "accounts/account_guid.h"
#include "handset/common/owners.h"
#include "handset/messaging/messaging_diagnostics.h"
#include "handset/registry/store_registry.h"
#include "tests/support/messaging_session.h"
#include "tests/support/scoped_handset.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;
// What the messaging API hands out, each given back by the function that belongs to it.
using RowSet = std::unique_ptr<SRowSet, handset::FreeWith<FreeProws>>;
using PropValues = std::unique_ptr<SPropValue, handset::FreeWith<MAPIFreeBuffer>>;

struct Row {
    std::vector<BYTE> entryId;
    std::wstring displayName;
};

class MessagingTest : public ::testing::Test {
protected:
    // Logs on and walks the store table, which holds count rows.
    void LogonAndReadRows(size_t count) {
        session = messaging.Logon();
        ASSERT_NE(session, nullptr);
        rows = ReadRows();
        ASSERT_EQ(rows.size(), count);
    }

    // Logs on and opens the one store of the handset.
    void OpenTheOnlyStore() {
        ASSERT_NO_FATAL_FAILURE(LogonAndReadRows(1));
        ASSERT_EQ(Open(rows[0].entryId, store), S_OK);
    }

    // Walks the store table one row at a time, as discovery does.
    std::vector<Row> ReadRows() {
        std::vector<Row> read;
        ComPtr<IMAPITable> table;
        EXPECT_GE(session->GetMsgStoresTable(MAPI_UNICODE, table.GetAddressOf()), 0);
        if (table == nullptr) {
            return read;
        }
        for (int guard = 0; guard < 100; ++guard) {
            SRowSet* queried = nullptr;
            EXPECT_GE(table->QueryRows(1, 0, &queried), 0);
            RowSet set(queried);
            if (set == nullptr) {
                break;
            }
            ULONG count = set->cRows;
            if (count == 1) {
                const SPropValue& first = set->aRow[0].lpProps[0];
                EXPECT_EQ(first.ulPropTag, PR_ENTRYID);
                read.push_back({std::vector<BYTE>(first.Value.bin.lpb,
                                                  first.Value.bin.lpb + first.Value.bin.cb),
                                L""});
                if (set->aRow[0].cValues > 1 &&
                    set->aRow[0].lpProps[1].ulPropTag == PR_DISPLAY_NAME_W) {
                    read.back().displayName = set->aRow[0].lpProps[1].Value.lpszW;
                }
            }
            if (count != 1) {
                EXPECT_EQ(count, 0u);
                break;
            }
        }
        EXPECT_EQ(table.Reset(), 0u);
        return read;
    }

    // Opens a store; one that cannot be opened leaves no store behind.
    HRESULT Open(std::vector<BYTE> entryId, ComPtr<IMsgStore>& opened) {
        IMsgStore* given = reinterpret_cast<IMsgStore*>(1);
        HRESULT status = session->OpenMsgStore(0, static_cast<ULONG>(entryId.size()),
                                               reinterpret_cast<LPENTRYID>(entryId.data()), nullptr,
                                               MDB_WRITE, &given);
        if (status >= 0) {
            *opened.ReleaseAndGetAddressOf() = given;
        } else {
            EXPECT_EQ(given, nullptr);
        }
        return status;
    }

    // One property read with one tag, as the account record does.
    HRESULT ReadProp(IMsgStore* opened, ULONG tag, PropValues& values) {
        SizedSPropTagArray(1, tags) = {1, {tag}};
        ULONG count = 0;
        SPropValue* read = nullptr;
        HRESULT status =
            opened->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), MAPI_UNICODE, &count, &read);
        values.reset(read);
        if (status >= 0) {
            EXPECT_EQ(count, 1u);
        }
        return status;
    }

    std::optional<GUID> ReadGuid(IMsgStore* opened) {
        PropValues values;
        HRESULT status = ReadProp(opened, AccountGuidTag, values);
        if (status == S_OK && values.get()[0].ulPropTag == AccountGuidTag) {
            return *values.get()[0].Value.lpguid;
        }
        EXPECT_EQ(status, MAPI_W_ERRORS_RETURNED);
        EXPECT_EQ(values.get()[0].ulPropTag, PROP_TAG(PT_ERROR, 0x8113));
        EXPECT_EQ(values.get()[0].Value.err, MAPI_E_NOT_FOUND);
        return std::nullopt;
    }

    std::wstring ReadName(IMsgStore* opened) {
        PropValues values;
        EXPECT_EQ(ReadProp(opened, PR_DISPLAY_NAME_W, values), S_OK);
        EXPECT_EQ(values.get()[0].ulPropTag, PR_DISPLAY_NAME_W);
        return values.get()[0].Value.lpszW;
    }

    testing_support::ScopedHandset handset;
    testing_support::MessagingSession messaging;
    const handset::MessagingCounts& before = messaging.Before();
    IMAPISession* session = nullptr;
    std::vector<Row> rows;
    ComPtr<IMsgStore> store;
};

TEST_F(MessagingTest, EmptyTableEndsAtTheFirstQuery) {
    ASSERT_NO_FATAL_FAILURE(LogonAndReadRows(0));
    messaging.ExpectAllGivenBack();
}

TEST_F(MessagingTest, WalkFindsAccountsAroundStoresWithoutGuid) {
    GUID first = handset::AddAccount(L"Work");
    handset::AddStore(L"SMS", std::nullopt);
    GUID second = handset::AddAccount(L"Zoë \U0001F600");
    handset::AddStore(L"ActiveSync", std::nullopt);
    GUID third = handset::AddAccount(L"Home");

    ASSERT_NO_FATAL_FAILURE(LogonAndReadRows(5));

    std::vector<std::wstring> names;
    std::vector<std::optional<GUID>> guids;
    for (const Row& row : rows) {
        ASSERT_EQ(Open(row.entryId, store), S_OK);
        ASSERT_NE(store, nullptr);
        guids.push_back(ReadGuid(store.Get()));
        names.push_back(ReadName(store.Get()));
        EXPECT_EQ(row.displayName, names.back());
        EXPECT_EQ(store.Reset(), 0u);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Work", L"SMS", L"Zoë \U0001F600", L"ActiveSync",
                                                L"Home"}));
    ASSERT_TRUE(guids[0] && guids[2] && guids[4]);
    EXPECT_TRUE(IsEqualGUID(*guids[0], first));
    EXPECT_TRUE(IsEqualGUID(*guids[2], second));
    EXPECT_TRUE(IsEqualGUID(*guids[4], third));
    EXPECT_FALSE(guids[1]);
    EXPECT_FALSE(guids[3]);

    messaging.ExpectAllGivenBack();
}

TEST_F(MessagingTest, OpenFailureAtTheThirdOfFiveStores) {
    handset::AddAccount(L"One");
    handset::AddAccount(L"Two");
    handset::AddStore(L"Three", handset::NewGuid(), {}, true);
    handset::AddAccount(L"Four");
    handset::AddAccount(L"Five");

    ASSERT_NO_FATAL_FAILURE(LogonAndReadRows(5));
    std::vector<ComPtr<IMsgStore>> stores(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        HRESULT status = Open(rows[i].entryId, stores[i]);
        if (i == 2) {
            EXPECT_LT(status, 0);
        } else {
            ASSERT_EQ(status, S_OK);
        }
    }
    EXPECT_EQ(handset::CurrentMessagingCounts().stores, before.stores + 4);
    // Kept open like the program's records, and released once each at the end.
    for (ComPtr<IMsgStore>& opened : stores) {
        EXPECT_EQ(opened.Reset(), 0u);
    }
    messaging.ExpectAllGivenBack();
}

TEST_F(MessagingTest, AStoreCountsItsReferencesAndGivesThemBackOnce) {
    handset::AddAccount(L"Work");
    ASSERT_NO_FATAL_FAILURE(OpenTheOnlyStore());

    // AddRef and a query add a reference each, and each owner gives its own back.
    EXPECT_EQ(store->AddRef(), 2u);
    ComPtr<IMsgStore> copy;
    *copy.GetAddressOf() = store.Get(); // the reference just added
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(store.As(&unknown), S_OK);
    EXPECT_EQ(unknown.Reset(), 2u);
    EXPECT_EQ(copy.Reset(), 1u);
    EXPECT_EQ(handset::CurrentMessagingCounts().stores, before.stores + 1);
    EXPECT_EQ(store.Reset(), 0u);
    EXPECT_EQ(handset::CurrentMessagingCounts().stores, before.stores);

    messaging.ExpectAllGivenBack();
}

TEST_F(MessagingTest, SeveralTagsComeBackInOneBufferWithMissingOnesAsErrors) {
    GUID guid = handset::AddAccount(L"Work");
    ASSERT_NO_FATAL_FAILURE(OpenTheOnlyStore());

    // The tag array "cannot be NULL", nor hold no tag; a tag of another type is another property.
    ULONG count = 7;
    SPropValue* read = nullptr;
    EXPECT_EQ(store->GetProps(nullptr, MAPI_UNICODE, &count, &read), MAPI_E_INVALID_PARAMETER);
    SizedSPropTagArray(1, none) = {0, {PR_DISPLAY_NAME_W}};
    EXPECT_EQ(store->GetProps(reinterpret_cast<LPSPropTagArray>(&none), 0, &count, &read),
              MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(read, nullptr);
    SizedSPropTagArray(3, tags) = {
        3, {AccountGuidTag, PROP_TAG(PT_BINARY, 0x3001), PR_DISPLAY_NAME_W}};
    EXPECT_EQ(
        store->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), MAPI_UNICODE, &count, &read),
        MAPI_W_ERRORS_RETURNED);
    PropValues owned(read);
    const SPropValue* values = read;
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(values[0].ulPropTag, AccountGuidTag);
    EXPECT_TRUE(IsEqualGUID(*values[0].Value.lpguid, guid));
    EXPECT_EQ(values[1].ulPropTag, PROP_TAG(PT_ERROR, 0x3001));
    EXPECT_EQ(values[1].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(values[2].ulPropTag, PR_DISPLAY_NAME_W);
    EXPECT_STREQ(values[2].Value.lpszW, L"Work");
    EXPECT_EQ(handset::CurrentMessagingCounts().buffers, before.buffers + 1);
    owned.reset();

    EXPECT_EQ(store.Reset(), 0u);
    messaging.ExpectAllGivenBack();
}

TEST_F(MessagingTest, OpenMsgStoreRejectsEntryIdsOfNoStore) {
    handset::AddAccount(L"Work");
    ASSERT_NO_FATAL_FAILURE(LogonAndReadRows(1));

    std::vector<BYTE> tail = rows[0].entryId;
    tail.push_back('7');
    std::vector<BYTE> nested = rows[0].entryId;
    for (char c : std::string("\\EMAIL2")) {
        nested.push_back(static_cast<BYTE>(c));
    }
    for (const auto& entryId : {tail, nested, std::vector<BYTE>{1, 2, 3}, std::vector<BYTE>{}}) {
        EXPECT_LT(Open(entryId, store), 0);
    }
    // The interface asked for is ignored, as on a handset: the store opens all the same.
    {
        ComPtr<IMsgStore> opened;
        EXPECT_EQ(session->OpenMsgStore(0, static_cast<ULONG>(rows[0].entryId.size()),
                                        reinterpret_cast<LPENTRYID>(rows[0].entryId.data()),
                                        &IID_IUnknown, MDB_WRITE, opened.GetAddressOf()),
                  S_OK);
        EXPECT_NE(opened.Get(), nullptr);
    }
    // A store removed after the table was read cannot be opened either.
    ASSERT_TRUE(handset::ClearStores());
    EXPECT_LT(Open(rows[0].entryId, store), 0);
    EXPECT_EQ(store, nullptr);

    messaging.ExpectAllGivenBack();
}

TEST_F(MessagingTest, LogonFailsSwitchLeavesNoSession) {
    ASSERT_TRUE(handset::SetLogonFails(true));
    IMAPISession* session = reinterpret_cast<IMAPISession*>(1);
    EXPECT_LT(MAPILogonEx(0, nullptr, nullptr, 0, &session), 0);
    EXPECT_EQ(session, nullptr);

    ASSERT_TRUE(handset::SetLogonFails(false));
    ASSERT_NE(messaging.Logon(), nullptr);
    messaging.ExpectAllGivenBack();
}

TEST(MapiInitialize, ComesBeforeEveryLogonAndPairsWithMapiUninitialize) {
    testing_support::ScopedHandset handset;
    const long before = handset::CurrentMessagingCounts().initializations;
    ASSERT_EQ(before, 0);
    IMAPISession* session = reinterpret_cast<IMAPISession*>(1);
    EXPECT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, &session), E_UNEXPECTED);
    EXPECT_EQ(session, nullptr);

    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
    MAPIUninitialize();
    // One initialisation is still held.
    ComPtr<IMAPISession> held;
    ASSERT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, held.GetAddressOf()), S_OK);
    held->Logoff(0, 0, 0);
    held.Reset();
    MAPIUninitialize();
    EXPECT_EQ(handset::CurrentMessagingCounts().initializations, 0);
    EXPECT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, &session), E_UNEXPECTED);

    // A MAPIUninitialize too many is no initialisation in advance.
    MAPIUninitialize();
    EXPECT_EQ(handset::CurrentMessagingCounts().initializations, 0);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
    MAPIUninitialize();
    EXPECT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, &session), E_UNEXPECTED);
}

TEST_F(MessagingTest, OneFreeGivesBackTheBlocksChainedToABuffer) {
    void* root = nullptr;
    ASSERT_EQ(MAPIAllocateBuffer(16, &root), S_OK);
    void* more = nullptr;
    ASSERT_EQ(MAPIAllocateMore(32, root, &more), S_OK);
    void* chained = nullptr;
    // Chaining to a chained block still hangs off the root.
    ASSERT_EQ(MAPIAllocateMore(8, more, &chained), S_OK);
    EXPECT_EQ(handset::CurrentMessagingCounts().buffers, before.buffers + 1);
    EXPECT_NE(MAPIFreeBuffer(more), 0u);
    EXPECT_EQ(MAPIFreeBuffer(root), 0u);
    EXPECT_EQ(MAPIFreeBuffer(nullptr), 0u);
    messaging.ExpectAllGivenBack();
}

// Every block, root or chained, of whatever size, keeps the alignment the heap gives, which the
// property arrays handed out in them need: 8 bytes for SPropValue on 32 bits as on 64.
TEST_F(MessagingTest, EveryBlockIsAlignedForTheValuesItHolds) {
    auto aligned = [](const void* block) {
        auto address = reinterpret_cast<uintptr_t>(block);
        return address % MEMORY_ALLOCATION_ALIGNMENT == 0 && address % alignof(SPropValue) == 0;
    };
    void* root = nullptr;
    ASSERT_EQ(MAPIAllocateBuffer(3, &root), S_OK);
    EXPECT_TRUE(aligned(root)) << root;
    for (ULONG size : {1u, 3u, 5u, 12u, 20u, 0u, 7u}) {
        void* more = nullptr;
        ASSERT_EQ(MAPIAllocateMore(size, root, &more), S_OK);
        EXPECT_TRUE(aligned(more)) << size << " bytes at " << more;
    }
    EXPECT_EQ(MAPIFreeBuffer(root), 0u);
    messaging.ExpectAllGivenBack();
}

} // namespace

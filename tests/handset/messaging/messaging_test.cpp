// The emulated messaging API as the program's discovery walks it: the store table row by row,
// opening each store, reading its GUID and display name, and giving everything back.
#include <cemapi.h>
#include <mapix.h>
#include <mapiutil.h>

#include "handset/messaging/messaging_diagnostics.h"
#include "handset/registry/store_registry.h"
#include "tests/support/scoped_handset.h"
#include "tests/support/scoped_mapi.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr ULONG AccountGuidTag = 0x81130048;

struct Row {
    std::vector<BYTE> entryId;
    std::wstring displayName;
};

class MessagingTest : public ::testing::Test {
protected:
    void SetUp() override { before = handset::CurrentMessagingCounts(); }

    // Every object and buffer a test took was given back.
    void ExpectAllGivenBack() {
        handset::MessagingCounts now = handset::CurrentMessagingCounts();
        EXPECT_EQ(now.sessions, before.sessions);
        EXPECT_EQ(now.tables, before.tables);
        EXPECT_EQ(now.stores, before.stores);
        EXPECT_EQ(now.buffers, before.buffers);
    }

    IMAPISession* Logon() {
        IMAPISession* session = nullptr;
        EXPECT_GE(MAPILogonEx(0, nullptr, nullptr, 0, &session), 0);
        return session;
    }

    void Logoff(IMAPISession* session) {
        session->Logoff(0, 0, 0);
        EXPECT_EQ(session->Release(), 0u);
    }

    // Walks the store table one row at a time, as discovery does.
    std::vector<Row> ReadRows(IMAPISession* session) {
        std::vector<Row> rows;
        IMAPITable* table = nullptr;
        EXPECT_GE(session->GetMsgStoresTable(MAPI_UNICODE, &table), 0);
        if (table == nullptr) {
            return rows;
        }
        for (int guard = 0; guard < 100; ++guard) {
            SRowSet* set = nullptr;
            EXPECT_GE(table->QueryRows(1, 0, &set), 0);
            if (set == nullptr) {
                break;
            }
            ULONG count = set->cRows;
            if (count == 1) {
                const SPropValue& first = set->aRow[0].lpProps[0];
                EXPECT_EQ(first.ulPropTag, PR_ENTRYID);
                rows.push_back({std::vector<BYTE>(first.Value.bin.lpb,
                                                  first.Value.bin.lpb + first.Value.bin.cb),
                                L""});
                if (set->aRow[0].cValues > 1 &&
                    set->aRow[0].lpProps[1].ulPropTag == PR_DISPLAY_NAME_W) {
                    rows.back().displayName = set->aRow[0].lpProps[1].Value.lpszW;
                }
            }
            FreeProws(set);
            if (count != 1) {
                EXPECT_EQ(count, 0u);
                break;
            }
        }
        EXPECT_EQ(table->Release(), 0u);
        return rows;
    }

    HRESULT Open(IMAPISession* session, std::vector<BYTE> entryId, IMsgStore** store) {
        return session->OpenMsgStore(0, static_cast<ULONG>(entryId.size()),
                                     reinterpret_cast<LPENTRYID>(entryId.data()), nullptr,
                                     MDB_WRITE, store);
    }

    // The store of a table of one, opened; null when there is not exactly one.
    IMsgStore* OpenOnlyStore(IMAPISession* session) {
        std::vector<Row> rows = ReadRows(session);
        IMsgStore* store = nullptr;
        EXPECT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows.size() == 1 ? Open(session, rows[0].entryId, &store) : S_OK, S_OK);
        return store;
    }

    // One property read with one tag, as the account record does.
    HRESULT ReadProp(IMsgStore* store, ULONG tag, SPropValue** values) {
        SizedSPropTagArray(1, tags) = {1, {tag}};
        ULONG count = 0;
        HRESULT status =
            store->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), MAPI_UNICODE, &count, values);
        if (status >= 0) {
            EXPECT_EQ(count, 1u);
        }
        return status;
    }

    std::optional<GUID> ReadGuid(IMsgStore* store) {
        SPropValue* values = nullptr;
        HRESULT status = ReadProp(store, AccountGuidTag, &values);
        std::optional<GUID> guid;
        if (status == S_OK && values[0].ulPropTag == AccountGuidTag) {
            guid = *values[0].Value.lpguid;
        } else {
            EXPECT_EQ(status, MAPI_W_ERRORS_RETURNED);
            EXPECT_EQ(values[0].ulPropTag, PROP_TAG(PT_ERROR, 0x8113));
            EXPECT_EQ(values[0].Value.err, MAPI_E_NOT_FOUND);
        }
        MAPIFreeBuffer(values);
        return guid;
    }

    std::wstring ReadName(IMsgStore* store) {
        SPropValue* values = nullptr;
        EXPECT_EQ(ReadProp(store, PR_DISPLAY_NAME_W, &values), S_OK);
        EXPECT_EQ(values[0].ulPropTag, PR_DISPLAY_NAME_W);
        std::wstring name = values[0].Value.lpszW;
        MAPIFreeBuffer(values);
        return name;
    }

    testing_support::ScopedHandset handset;
    testing_support::ScopedMapi mapi;
    handset::MessagingCounts before;
};

TEST_F(MessagingTest, EmptyTableEndsAtTheFirstQuery) {
    IMAPISession* session = Logon();
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(ReadRows(session).empty());
    Logoff(session);
    ExpectAllGivenBack();
}

TEST_F(MessagingTest, WalkFindsAccountsAroundStoresWithoutGuid) {
    GUID first = handset::AddAccount(L"Work");
    handset::AddStore(L"SMS", std::nullopt);
    GUID second = handset::AddAccount(L"Zoë \U0001F600");
    handset::AddStore(L"ActiveSync", std::nullopt);
    GUID third = handset::AddAccount(L"Home");

    IMAPISession* session = Logon();
    ASSERT_NE(session, nullptr);
    std::vector<Row> rows = ReadRows(session);
    ASSERT_EQ(rows.size(), 5u);

    std::vector<std::wstring> names;
    std::vector<std::optional<GUID>> guids;
    for (const Row& row : rows) {
        IMsgStore* store = nullptr;
        ASSERT_EQ(Open(session, row.entryId, &store), S_OK);
        ASSERT_NE(store, nullptr);
        guids.push_back(ReadGuid(store));
        names.push_back(ReadName(store));
        EXPECT_EQ(row.displayName, names.back());
        EXPECT_EQ(store->Release(), 0u);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Work", L"SMS", L"Zoë \U0001F600", L"ActiveSync",
                                                L"Home"}));
    ASSERT_TRUE(guids[0] && guids[2] && guids[4]);
    EXPECT_TRUE(IsEqualGUID(*guids[0], first));
    EXPECT_TRUE(IsEqualGUID(*guids[2], second));
    EXPECT_TRUE(IsEqualGUID(*guids[4], third));
    EXPECT_FALSE(guids[1]);
    EXPECT_FALSE(guids[3]);

    Logoff(session);
    ExpectAllGivenBack();
}

TEST_F(MessagingTest, OpenFailureAtTheThirdOfFiveStores) {
    handset::AddAccount(L"One");
    handset::AddAccount(L"Two");
    handset::AddStore(L"Three", handset::NewGuid(), {}, true);
    handset::AddAccount(L"Four");
    handset::AddAccount(L"Five");

    IMAPISession* session = Logon();
    ASSERT_NE(session, nullptr);
    std::vector<Row> rows = ReadRows(session);
    ASSERT_EQ(rows.size(), 5u);
    std::vector<IMsgStore*> stores;
    for (size_t i = 0; i < rows.size(); ++i) {
        IMsgStore* store = reinterpret_cast<IMsgStore*>(1);
        HRESULT status = Open(session, rows[i].entryId, &store);
        if (i == 2) {
            EXPECT_LT(status, 0);
            EXPECT_EQ(store, nullptr);
        } else {
            ASSERT_EQ(status, S_OK);
            stores.push_back(store);
        }
    }
    EXPECT_EQ(handset::CurrentMessagingCounts().stores, before.stores + 4);
    // Kept open like the program's records, and released once each at the end.
    for (IMsgStore* store : stores) {
        EXPECT_EQ(store->Release(), 0u);
    }
    Logoff(session);
    ExpectAllGivenBack();
}

TEST_F(MessagingTest, AStoreCountsItsReferencesAndGivesSeveralTagsInOneBuffer) {
    GUID guid = handset::AddAccount(L"Work");
    IMAPISession* session = Logon();
    ASSERT_NE(session, nullptr);
    IMsgStore* store = OpenOnlyStore(session);
    ASSERT_NE(store, nullptr);

    EXPECT_EQ(store->AddRef(), 2u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(store->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(store->Release(), 1u);
    EXPECT_EQ(handset::CurrentMessagingCounts().stores, before.stores + 1);

    // The tag array "cannot be NULL", nor hold no tag; a tag of another type is another property.
    ULONG count = 7;
    SPropValue* values = nullptr;
    EXPECT_EQ(store->GetProps(nullptr, MAPI_UNICODE, &count, &values), MAPI_E_INVALID_PARAMETER);
    SizedSPropTagArray(1, none) = {0, {PR_DISPLAY_NAME_W}};
    EXPECT_EQ(store->GetProps(reinterpret_cast<LPSPropTagArray>(&none), 0, &count, &values),
              MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(values, nullptr);
    SizedSPropTagArray(3, tags) = {
        3, {AccountGuidTag, PROP_TAG(PT_BINARY, 0x3001), PR_DISPLAY_NAME_W}};
    EXPECT_EQ(
        store->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), MAPI_UNICODE, &count, &values),
        MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(values[0].ulPropTag, AccountGuidTag);
    EXPECT_TRUE(IsEqualGUID(*values[0].Value.lpguid, guid));
    EXPECT_EQ(values[1].ulPropTag, PROP_TAG(PT_ERROR, 0x3001));
    EXPECT_EQ(values[1].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(values[2].ulPropTag, PR_DISPLAY_NAME_W);
    EXPECT_STREQ(values[2].Value.lpszW, L"Work");
    EXPECT_EQ(handset::CurrentMessagingCounts().buffers, before.buffers + 1);
    MAPIFreeBuffer(values);

    EXPECT_EQ(store->Release(), 0u);
    Logoff(session);
    ExpectAllGivenBack();
}

TEST_F(MessagingTest, OpenMsgStoreRejectsEntryIdsOfNoStore) {
    handset::AddAccount(L"Work");
    IMAPISession* session = Logon();
    ASSERT_NE(session, nullptr);
    std::vector<Row> rows = ReadRows(session);
    ASSERT_EQ(rows.size(), 1u);

    std::vector<BYTE> tail = rows[0].entryId;
    tail.push_back('7');
    std::vector<BYTE> nested = rows[0].entryId;
    for (char c : std::string("\\EMAIL2")) {
        nested.push_back(static_cast<BYTE>(c));
    }
    for (const auto& entryId : {tail, nested, std::vector<BYTE>{1, 2, 3}, std::vector<BYTE>{}}) {
        IMsgStore* store = reinterpret_cast<IMsgStore*>(1);
        EXPECT_LT(Open(session, entryId, &store), 0);
        EXPECT_EQ(store, nullptr);
    }
    // Only the store's own interface, a null lpInterface, is emulated.
    IMsgStore* other = nullptr;
    EXPECT_EQ(session->OpenMsgStore(0, static_cast<ULONG>(rows[0].entryId.size()),
                                    reinterpret_cast<LPENTRYID>(rows[0].entryId.data()),
                                    &IID_IUnknown, MDB_WRITE, &other),
              MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(other, nullptr);
    // A store removed after the table was read cannot be opened either.
    ASSERT_TRUE(handset::ClearStores());
    IMsgStore* store = nullptr;
    EXPECT_LT(Open(session, rows[0].entryId, &store), 0);

    Logoff(session);
    ExpectAllGivenBack();
}

TEST_F(MessagingTest, LogonFailsSwitchLeavesNoSession) {
    ASSERT_TRUE(handset::SetLogonFails(true));
    IMAPISession* session = reinterpret_cast<IMAPISession*>(1);
    EXPECT_LT(MAPILogonEx(0, nullptr, nullptr, 0, &session), 0);
    EXPECT_EQ(session, nullptr);

    ASSERT_TRUE(handset::SetLogonFails(false));
    session = Logon();
    ASSERT_NE(session, nullptr);
    Logoff(session);
    ExpectAllGivenBack();
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
    ASSERT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, &session), S_OK);
    session->Logoff(0, 0, 0);
    session->Release();
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
    ExpectAllGivenBack();
}

} // namespace

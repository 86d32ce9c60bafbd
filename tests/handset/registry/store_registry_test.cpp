// The registry layout that the messaging API, the configuration manager and handset.exe share.
#include "handset/common/owners.h"
#include "handset/registry/store_registry.h"
#include "tests/support/scoped_handset.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> Keys() {
    std::vector<std::wstring> keys;
    for (const auto& store : handset::ListStores()) {
        keys.push_back(store.key);
    }
    return keys;
}

void CreateStoreKey(const std::wstring& root, const std::wstring& name) {
    HKEY created = nullptr;
    std::wstring path = root + L"\\Messaging\\Stores\\" + name;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &created, nullptr),
              ERROR_SUCCESS);
    handset::UniqueKey key(created);
}

TEST(StoreRegistryTest, TableOrderIsNumericAndANewStoreGoesAfterTheLast) {
    testing_support::ScopedHandset handset;
    handset::AddAccount(L"First");
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"0001"}));

    // Keys of other widths sort by number, not by text; other key names are not stores.
    CreateStoreKey(handset.RootKey(), L"9999");
    CreateStoreKey(handset.RootKey(), L"junk");
    handset::AddStore(L"Last", std::nullopt);
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"0001", L"9999", L"10000"}));
    EXPECT_EQ(handset::ListStores().back().displayName, L"Last");

    ASSERT_TRUE(handset::ClearStores());
    EXPECT_TRUE(Keys().empty());
    EXPECT_EQ(handset::AddStore(L"Again", std::nullopt), L"0001");
}

TEST(StoreRegistryTest, SettingsAreWrittenIntoStoresThatExistOnly) {
    testing_support::ScopedHandset handset;
    handset::AddAccount(L"Work", {{L"INSERVER", L"old"}});
    handset::AddStore(L"Bare", handset::NewGuid());
    EXPECT_FALSE(handset::ApplySettings({{L"0042", L"INSERVER", L"no such store"}}));
    EXPECT_FALSE(handset::ApplySettings({{L"0001\\EMAIL2", L"INSERVER", L"not a store key"}}));
    EXPECT_EQ(handset::ListStores().size(), 2u);

    EXPECT_TRUE(
        handset::ApplySettings({{L"0001", L"INSERVER", L"new"}, {L"0002", L"INSERVER", L"x"}}));
    EXPECT_EQ(handset::ListStores()[0].settings, (handset::Settings{{L"INSERVER", L"new"}}));
    EXPECT_EQ(handset::ListStores()[1].settings, (handset::Settings{{L"INSERVER", L"x"}}));
}

TEST(StoreRegistryTest, AnAccountIsFoundByItsGuidAtItsFirstStore) {
    testing_support::ScopedHandset handset;
    GUID work = handset::AddAccount(L"Work");
    handset::AddStore(L"Text messages", std::nullopt);
    GUID home = handset::AddAccount(L"Home");
    ASSERT_EQ(handset::AddStore(L"Home again", home), L"0004");

    EXPECT_EQ(handset::FindAccountStore(work), std::optional<std::wstring>(L"0001"));
    EXPECT_EQ(handset::FindAccountStore(home), std::optional<std::wstring>(L"0003"));
    EXPECT_EQ(handset::FindAccountStore(handset::NewGuid()), std::nullopt);

    ASSERT_TRUE(handset::ClearStores());
    EXPECT_EQ(handset::FindAccountStore(work), std::nullopt);
    // A new store may get an old key name; the account it holds is what is found there.
    GUID other = handset::AddAccount(L"Other");
    EXPECT_EQ(handset::FindAccountStore(other), std::optional<std::wstring>(L"0001"));
    EXPECT_EQ(handset::FindAccountStore(work), std::nullopt);
}

TEST(StoreRegistryTest, GuidTextIsBracedUpperCaseAndParsesEitherCase) {
    GUID guid = {0x1A, 0x2, 0xBC, {0, 1, 0xAB, 0xCD, 0xEF, 0x10, 0x20, 0xFF}};
    EXPECT_EQ(handset::GuidText(guid), L"{0000001A-0002-00BC-0001-ABCDEF1020FF}");
    auto lower = handset::ParseGuid(L"{0000001a-0002-00bc-0001-abcdef1020ff}");
    ASSERT_TRUE(lower);
    EXPECT_TRUE(IsEqualGUID(*lower, guid));

    for (const wchar_t* bad :
         {L"0000001A-0002-00BC-0001-ABCDEF1020FF", L"{0000001A-0002-00BC-0001-ABCDEF1020F}",
          L"{0000001A-0002-00BC-0001-ABCDEF1020FG}", L"{0000001A+0002-00BC-0001-ABCDEF1020FF}",
          L" {0000001A-0002-00BC-0001-ABCDEF1020FF}", L""}) {
        EXPECT_FALSE(handset::ParseGuid(bad)) << testing::PrintToString(std::wstring(bad));
    }
}

} // namespace

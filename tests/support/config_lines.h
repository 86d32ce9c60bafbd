// Lines of config and of the handset as the tests write and check them.
#pragma once

#include <string>

#include "handset/registry/store_registry.h"

namespace testing_support {

// A parm line as config holds it; the value is written as given, so a test can give it escaped.
inline std::wstring Parm(const std::wstring& name, const std::wstring& value) {
    return L"<parm name=\"" + name + L"\" value=\"" + value + L"\"/>";
}

// The settings of the first store of that name in the test's handset; none when there is none.
inline handset::Settings SettingsOf(const std::wstring& displayName) {
    for (const auto& store : handset::ListStores()) {
        if (store.displayName == displayName) {
            return store.settings;
        }
    }
    return {};
}

} // namespace testing_support

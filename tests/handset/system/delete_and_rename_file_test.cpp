// The kernel function a handset has and the desktop lacks, as strict as a handset's.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadBytes;
using testing_support::Volume;
using testing_support::WriteBytes;

TEST(DeleteAndRenameFile, ReplacesAWritableFileInMainMemoryOnlyAndElseChangesNothing) {
    struct Case {
        const char* what;
        Volume volume;
        bool readOnly;
        bool spelledOtherwise;
        DWORD error; // 0 where the file is replaced
    };
    const Case cases[] = {
        {"in main memory", Volume::ObjectStore, false, false, 0},
        {"read-only", Volume::ObjectStore, true, false, ERROR_ACCESS_DENIED},
        {"on the storage card", Volume::StorageCard, false, false, ERROR_NOT_SUPPORTED},
        {"on the storage card, spelled otherwise", Volume::StorageCard, false, true,
         ERROR_NOT_SUPPORTED},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        testing_support::TempFolder folder{L"", test.volume};
        const std::wstring destination = folder / L"config";
        const std::wstring source = folder / L"config.new";
        WriteBytes(destination, "old");
        WriteBytes(source, "new");
        if (test.readOnly) {
            ASSERT_TRUE(SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        // C:\Storage Card\ in other letters, and through a folder that leads back.
        const std::wstring spelled = test.spelledOtherwise
                                         ? L"c:\\STORAGE CARD\\x\\..\\" + destination.substr(16)
                                         : destination;

        const BOOL replaced = DeleteAndRenameFile(spelled.c_str(), source.c_str());
        const DWORD error = GetLastError();
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (test.error == 0) {
            EXPECT_TRUE(replaced);
            EXPECT_EQ(ReadBytes(destination), "new");
            EXPECT_FALSE(FileExists(source));
        } else {
            EXPECT_FALSE(replaced);
            EXPECT_EQ(error, test.error);
            EXPECT_EQ(ReadBytes(destination), "old");
            EXPECT_EQ(ReadBytes(source), "new");
        }
    }
}

} // namespace

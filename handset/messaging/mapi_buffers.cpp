// Serves the program: MAPI memory. A buffer from MAPIAllocateBuffer owns every block that
// MAPIAllocateMore chained to it, and one MAPIFreeBuffer gives back the lot.
#include "handset/messaging/messaging_objects.h"

#include <cstring>
#include <new>

namespace {

constexpr DWORD LiveMagic = 0x4D415049; // "MAPI"

// Precedes every block, at the alignment the heap gives (8 bytes on 32 bits, 16 on 64), so that
// the caller's part has it too. Callers may count on 4 only ("MAPIAllocateBuffer",
// https://learn.microsoft.com/en-us/previous-versions/ms837649(v=msdn.10)), but the SPropValue
// arrays handed out in these blocks belong on 8-byte boundaries ("SPropValue",
// https://learn.microsoft.com/en-us/previous-versions/aa455090(v=msdn.10)).
struct alignas(MEMORY_ALLOCATION_ALIGNMENT) BlockHeader {
    DWORD magic;
    BlockHeader* owner; // the root block; itself for a root
    BlockHeader* next;  // the next block chained to a root
};
static_assert(alignof(BlockHeader) >= alignof(SPropValue));

BlockHeader* HeaderOf(void* block) {
    return static_cast<BlockHeader*>(block) - 1;
}

constexpr std::align_val_t blockAlignment{alignof(BlockHeader)};

// From the process's heap as every allocation of the program's is, so that what the messaging
// API hands the program counts against the heap a handset gives it too.
void* Allocate(ULONG size, BlockHeader* owner) {
    void* block = ::operator new(sizeof(BlockHeader) + size, blockAlignment, std::nothrow);
    if (block == nullptr) {
        return nullptr;
    }
    std::memset(block, 0, sizeof(BlockHeader) + size);
    auto* header = static_cast<BlockHeader*>(block);
    *header = {LiveMagic, owner != nullptr ? owner : header, nullptr};
    if (owner != nullptr) {
        header->next = owner->next;
        owner->next = header;
    }
    return header + 1;
}

} // namespace

extern "C" HRESULT WINAPI MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
    if (lppBuffer == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppBuffer = Allocate(cbSize, nullptr);
    if (*lppBuffer == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    InterlockedIncrement(&handset::detail::liveBuffers);
    return S_OK;
}

extern "C" HRESULT WINAPI MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
    if (lppBuffer == nullptr || lpObject == nullptr || HeaderOf(lpObject)->magic != LiveMagic) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppBuffer = Allocate(cbSize, HeaderOf(lpObject)->owner);
    return *lppBuffer != nullptr ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

extern "C" ULONG WINAPI MAPIFreeBuffer(LPVOID lpBuffer) {
    if (lpBuffer == nullptr) {
        return S_OK;
    }
    BlockHeader* root = HeaderOf(lpBuffer);
    // Only a root may be freed; a chained block goes with its root.
    if (root->magic != LiveMagic || root->owner != root) {
        return static_cast<ULONG>(MAPI_E_INVALID_PARAMETER);
    }
    for (BlockHeader* chain = root->next; chain != nullptr;) {
        BlockHeader* next = chain->next;
        ::operator delete(chain, blockAlignment);
        chain = next;
    }
    ::operator delete(root, blockAlignment);
    InterlockedDecrement(&handset::detail::liveBuffers);
    return S_OK;
}

extern "C" void WINAPI FreeProws(LPSRowSet lpRows) {
    if (lpRows == nullptr) {
        return;
    }
    for (ULONG row = 0; row < lpRows->cRows; ++row) {
        MAPIFreeBuffer(lpRows->aRow[row].lpProps);
    }
    MAPIFreeBuffer(lpRows);
}

namespace handset::detail {

HRESULT CopyMore(const void* data, ULONG size, void* owner, void** copy) {
    HRESULT status = MAPIAllocateMore(size, owner, copy);
    if (SUCCEEDED(status) && size > 0) {
        std::memcpy(*copy, data, size);
    }
    return status;
}

} // namespace handset::detail

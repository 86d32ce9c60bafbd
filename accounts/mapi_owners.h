// Owners for what the messaging API hands out, so nothing is freed by hand or twice.
#pragma once

#include <cemapi.h>
#include <mapix.h>
#include <mapiutil.h>

#include <memory>

struct MapiBufferFree {
    void operator()(void* buffer) const {
        if (buffer != nullptr) {
            MAPIFreeBuffer(buffer);
        }
    }
};

struct RowSetFree {
    void operator()(SRowSet* rows) const {
        if (rows != nullptr) {
            FreeProws(rows);
        }
    }
};

struct InterfaceRelease {
    void operator()(IUnknown* object) const {
        if (object != nullptr) {
            object->Release();
        }
    }
};

// One counted reference, taken over from whoever handed it out. (MinGW's ComPtr::Attach adds a
// reference of its own, so it cannot take one over.)
template <typename T> using InterfaceOwner = std::unique_ptr<T, InterfaceRelease>;

// A block from MAPIAllocateBuffer, such as the values of a property read.
template <typename T> using MapiBuffer = std::unique_ptr<T, MapiBufferFree>;

// A row set from IMAPITable::QueryRows.
using RowSet = std::unique_ptr<SRowSet, RowSetFree>;

// Owners for what the messaging API hands out, so nothing is freed by hand or twice.
#pragma once

#include <cemapi.h>
#include <mapix.h>
#include <mapiutil.h>

#include "files/handles.h"

template <typename T> void ReleaseInterface(T* object) {
    object->Release();
}

// One counted reference, taken over from whoever handed it out. (MinGW's ComPtr::Attach adds a
// reference of its own, so it cannot take one over.)
template <typename T> using InterfaceOwner = Owned<T*, &ReleaseInterface<T>>;

// A block from MAPIAllocateBuffer, such as the values of a property read.
template <typename T> using MapiBuffer = Owned<T*, &MAPIFreeBuffer>;

// A row set from IMAPITable::QueryRows.
using RowSet = Owned<SRowSet*, &FreeProws>;

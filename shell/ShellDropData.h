#pragma once
// Clipboard and drop data: a list of paths as a file drop (CF_HDROP) and as the
// shell's ID-list array ("Shell IDList Array"), the paths read back out of any
// data object (a file drop, or the names of a "FileGroupDescriptorW" or
// "FileGroupDescriptor"), and our own data object for a set of paths.
// Blocks come from other programs: every reader stays inside the block's size.
// Blocks returned are the caller's; lists returned are new (the caller owns them).
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Handles.h"

namespace fw {
class TStrings;
class TStringList;
}  // namespace fw

namespace shell {

class EOutOfMemory : public fw::Exception {
public:
    using fw::Exception::Exception;
};

// A new CF_HDROP block: the 20-byte header (list at offset 20, wide names)
// and every path with its zero, then one more zero. Raises EOutOfMemory
// "GetDropFiles: Could not allocate memory." when the block cannot be had.
HGLOBAL GetDropFiles(const fw::TStrings& Paths);
// Puts GetDropFiles(Paths) into the data object as CF_HDROP, which takes it
// over; false (the block freed) when the object refuses it.
bool SetDropFilesData(const fw::TStrings& Paths, IDataObject* DataObject);
// The paths of a file drop, then the names of a wide, then of an 8-bit file-
// group descriptor; an empty list when the object carries none; nullptr
// without a data object.
std::unique_ptr<fw::TStringList> GetDataObjectFiles(IDataObject* DataObject);

// The names of a CF_HDROP block, wide or 8-bit, read within the block's size:
// a list offset outside the block gives none, a name the block's end cuts off
// is dropped. nullptr when the block cannot be locked.
std::unique_ptr<fw::TStringList> ReadDropFilesBlock(HGLOBAL Block);

// "FileGroupDescriptor" and "FileGroupDescriptorW", registered on first use.
CLIPFORMAT GetFileGroupDescriptorFormat();
CLIPFORMAT GetFileGroupDescriptorWFormat();

// A new "Shell IDList Array" block: the parent folder's absolute list, then the
// items relative to it (the desktop as parent makes them absolute lists).
fw::GlobalHandle GetShellIDListBlock(LPCITEMIDLIST Parent, const std::vector<LPCITEMIDLIST>& Items);
// The absolute lists an ID-list array names (parent joined with each item),
// read within the block's size; empty when the block is malformed.
std::vector<fw::PidlPtr> ReadShellIDListBlock(HGLOBAL Block);

// Our own data object for a set of absolute paths, with CF_HDROP and the ID-list
// array (desktop as parent). A path that does not parse is left out of both.
// nullptr when none parses.
fw::ComPtr<IDataObject> CreatePathsDataObject(const fw::TStrings& Paths);

}  // namespace shell
